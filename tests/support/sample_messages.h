#pragma once

#include "host/xml/messages.h"

// Complete outgoing documents as the editors store them, for tests and benchmarks.
namespace velmora::testing {

// A declaration with `towary` goods items, each with packages, a previous document, a CAL
// entry and security data; "<AUTO>" as its own number.
xml::Message PrzykladowaDeklaracja(int towary);

// An arrival notification with two en-route events; `miejsce` is its place (may be empty).
xml::Message PrzykladowePrzybycie(const QString& miejsce);

}  // namespace velmora::testing
