#pragma once

namespace velmora::host {

class TToolsDB;

// The host's simplified-procedure register entries and what they lean on: the entries (IM)
// with their SAD documents, the notifications (RGPow), the commodity code blocks (BlokadaCN)
// and the payment records (rgpay). The register definitions (RGRej) are the host schema's.
void SimplifiedRegisterSchema(TToolsDB& tools);

}  // namespace velmora::host
