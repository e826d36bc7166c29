#pragma once

#include "host/xml/messages.h"

// Complete outgoing documents as the editors store them, for tests and benchmarks.
namespace velmora::testing {

// A declaration with `towary` goods items, each with packages, a previous document, a CAL
// entry and security data; "<AUTO>" as its own number.
xml::Message PrzykladowaDeklaracja(int towary);

// An arrival notification with two en-route events; `miejsce` is its place (may be empty).
xml::Message PrzykladowePrzybycie(const QString& miejsce);
// The same declaration as a clerk fills it for phase 5: the EU's code lists, a GRN of their
// shape (each item's security entry on it), items 1 and 2 in one container, item 1 with a
// consignee of its own.
xml::Message PrzykladowaDeklaracjaCC(int towary);

}  // namespace velmora::testing
