#pragma once

#ifdef _WIN32
#define VELMORA_PUESC_API __declspec(dllexport)
#define VELMORA_PUESC_CALL __stdcall
#else
#define VELMORA_PUESC_API __attribute__((visibility("default")))
#define VELMORA_PUESC_CALL
#endif

// The platform's document service. Each call answers a zero-terminated text that stays valid
// until the next call on the same thread: empty when the platform gave no answer, a leading
// minus sign before an error description, otherwise its result. Date-times are days counted
// from 1899-12-30 (fractions are the time of day).
extern "C" {

// Uploads the signed file for `system` ("NCTS2"); answers its SysRef.
VELMORA_PUESC_API const char* VELMORA_PUESC_CALL AcceptDocument(const char* login, const char* password, const char* system,
                                                                const char* file_name, const char* url, const char* proxy_user,
                                                                const char* proxy_password, const char* proxy_host, int proxy_port,
                                                                bool use_default_proxy);

// Waits up to `wait_seconds` for the answers to the document `sys_ref`, saves them in
// `directory` and answers their list: <dokumenty><dokument nazwa="FILE">
// <zalacznik nazwa="FILE"/>...</dokument>...</dokumenty> (names relative to the directory).
VELMORA_PUESC_API const char* VELMORA_PUESC_CALL GetDocumentBySysRef(const char* login, const char* password, const char* url,
                                                                     const char* sys_ref, const char* directory, int wait_seconds,
                                                                     const char* proxy_user, const char* proxy_password,
                                                                     const char* proxy_host, int proxy_port, bool use_default_proxy);

// Saves every document of the period (only the unread ones unless `include_read`) in
// `directory` and answers their list as above.
VELMORA_PUESC_API const char* VELMORA_PUESC_CALL GetDocuments(const char* login, const char* password, const char* system,
                                                              const char* url, const char* directory, double from, double to,
                                                              bool include_read, const char* proxy_user, const char* proxy_password,
                                                              const char* proxy_host, int proxy_port, bool use_default_proxy);
}
