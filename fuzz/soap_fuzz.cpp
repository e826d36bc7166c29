// The platform's SOAP answers as the web-service client reads them, broken in every way: no
// crash, no leak, and an answer is exactly one thing: refused, a fault, or the service's answer.
#include "soap.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const velmora::puesc::Answer a = velmora::puesc::ParseAnswer(std::string(reinterpret_cast<const char*>(data), size));
  const bool answered = !a.sys_ref.empty() || !a.documents.empty();
  if (!a.error.empty() && (!a.fault.empty() || answered)) std::abort();
  if (!a.fault.empty() && answered) std::abort();
  return 0;
}
