#pragma once

#include <libxml/xmlerror.h>
#include <libxml/xmlversion.h>

namespace velmora::xml {

// The error a structured error handler receives: const from libxml2 2.12 on.
#if LIBXML_VERSION >= 21200
using LibxmlError = const xmlError*;
#else
using LibxmlError = xmlError*;
#endif

}  // namespace velmora::xml
