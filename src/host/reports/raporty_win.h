#pragma once

class QWidget;

namespace velmora::host {

struct HostContext;

// Ask the report's parameters, print it and show it; an error box when the PDF cannot be written.
void UruchomTerminowosc(HostContext& ctx, QWidget* parent = nullptr);
void UruchomSaldoGwarancji(HostContext& ctx, QWidget* parent = nullptr);

}  // namespace velmora::host
