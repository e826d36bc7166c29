#pragma once

#include "xml_document.h"

#include <QByteArray>
#include <QString>

// Checks on documents that come from outside, before the system takes them in.
namespace velmora::xml {

// The characters of a document read from a file: its bytes decoded in the encoding its
// declaration names (UTF-8 without one). Bytes that are not well-formed XML in that encoding
// raise XmlParseError, so nothing undecodable reaches the caller.
QString DecodeXmlBytes(const QByteArray& bytes);

// The namespace of a known message's root when it is neither its type's published one nor none
// (the binding reads both alike); empty otherwise.
QString ForeignNamespace(const XmlNode& root);

// Documents are refused by size before they are read whole: a message with goods items may run
// to a few megabytes, any other to some kilobytes; each limit lies far above that. `head` is the
// start of the document (its root element is read from it); answers the refusal, empty when
// `size` (bytes) is within the limit of that type.
QString OversizeRefusal(const QByteArray& head, qint64 size);

}  // namespace velmora::xml
