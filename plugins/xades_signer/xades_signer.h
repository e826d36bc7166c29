#pragma once

#ifdef _WIN32
#define VELMORA_SIGNER_API __declspec(dllexport)
#define VELMORA_SIGNER_CALL __stdcall
#else
#define VELMORA_SIGNER_API __attribute__((visibility("default")))
#define VELMORA_SIGNER_CALL
#endif

// Signs in place every file named in the request
// "<?xml version="1.0" encoding="UTF-8"?><Files><file>FULL PATH</file>...</Files>"
// with an enveloped XAdES-BES signature. Mode 2 is the only mode. True when every file was
// signed; a file that could not be signed is left as it was.
extern "C" VELMORA_SIGNER_API bool VELMORA_SIGNER_CALL SignFile(const char* request, int mode);
