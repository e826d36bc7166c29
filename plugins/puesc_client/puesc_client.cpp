// The platform client: a library the module loads from the application root's bin/ for each
// exchange and frees afterwards. Every entry point answers a text: empty when the platform
// gave no answer, a leading minus sign before an error description, else its result.
#include "puesc_client.h"

#include "soap.h"

#include <curl/curl.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

namespace fs = std::filesystem;
using namespace velmora::puesc;

namespace {

// The text handed back stays valid until the next call on this thread.
thread_local std::string g_result;

const char* Result(std::string text) {
  g_result = std::move(text);
  return g_result.c_str();
}

std::string Str(const char* s) { return s ? s : ""; }

struct Proxy {
  std::string user, password, host;
  int port = 0;
  bool use_default = false;
};

long TimeoutSeconds() {
  // The platform allows a call up to three minutes.
  const char* env = std::getenv("VELMORA_PUESC_TIMEOUT");
  const long v = env ? std::strtol(env, nullptr, 10) : 0;
  return v > 0 ? v : 180;
}

size_t Collect(char* data, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

void InitCurl() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Posts one envelope; the parsed answer, or the transport's failure in `error`.
Answer Call(const std::string& url, const std::string& envelope, const std::string& action, const Proxy& proxy) {
  InitCurl();
  Answer a;
  CURL* curl = curl_easy_init();
  if (!curl) {
    a.error = "Nie można przygotować połączenia z systemem PUESC";
    return a;
  }
  std::string body;
  char error[CURL_ERROR_SIZE] = {0};
  struct curl_slist* headers = nullptr;
  headers = curl_slist_append(headers, "Content-Type: text/xml; charset=utf-8");
  headers = curl_slist_append(headers, ("SOAPAction: \"" + action + "\"").c_str());
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_POST, 1L);
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, envelope.data());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(envelope.size()));
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 15L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, TimeoutSeconds());
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  if (!proxy.host.empty()) {
    curl_easy_setopt(curl, CURLOPT_PROXY, (proxy.host + ":" + std::to_string(proxy.port > 0 ? proxy.port : 8080)).c_str());
    if (!proxy.user.empty()) {
      curl_easy_setopt(curl, CURLOPT_PROXYUSERNAME, proxy.user.c_str());
      curl_easy_setopt(curl, CURLOPT_PROXYPASSWORD, proxy.password.c_str());
    }
  } else if (!proxy.use_default) {
    // No proxy unless the system's own is asked for.
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
  }
  const CURLcode rc = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_slist_free_all(headers);
  curl_easy_cleanup(curl);
  if (rc != CURLE_OK) {
    a.error = std::string("Błąd połączenia z systemem PUESC: ") + (error[0] ? error : curl_easy_strerror(rc));
    return a;
  }
  a = ParseAnswer(body);
  if (!a.error.empty() && status >= 400) a.error += " (HTTP " + std::to_string(status) + ")";
  return a;
}

bool ReadFile(const std::string& path, std::string& out) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  std::ostringstream s;
  s << f.rdbuf();
  out = s.str();
  return true;
}

std::string SafeName(const std::string& name) {
  std::string out;
  for (char c : name) out += (isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_') ? c : '_';
  if (out.empty() || out == "." || out == "..") out = "dokument";
  return out;
}

// Saved under a name not yet used in the directory: the document's SysRef and its own name.
std::string Save(const fs::path& dir, const std::string& sys_ref, const Content& c) {
  const std::string base = SafeName(sys_ref.empty() ? c.file_name : sys_ref + "_" + c.file_name);
  fs::path target = dir / base;
  for (int i = 2; fs::exists(target); ++i) {
    const fs::path p(base);
    target = dir / (p.stem().string() + "_" + std::to_string(i) + p.extension().string());
  }
  const fs::path part = target.string() + ".part";
  {
    std::ofstream f(part, std::ios::binary);
    if (!f || !f.write(c.bytes.data(), static_cast<std::streamsize>(c.bytes.size()))) return {};
  }
  std::error_code ec;
  fs::rename(part, target, ec);
  return ec ? std::string() : target.filename().string();
}

std::string Escape(const std::string& s) {
  std::string out;
  for (char c : s) out += c == '&' ? "&amp;" : c == '"' ? "&quot;" : c == '<' ? "&lt;" : std::string(1, c);
  return out;
}

// The saved documents as the list the module reads: dokument@nazwa with its zalacznik@nazwa.
std::string SaveAll(const fs::path& dir, const std::vector<Document>& docs, std::string& error) {
  std::string list = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><dokumenty>";
  for (const Document& d : docs) {
    const std::string name = Save(dir, d.sys_ref, d.content);
    if (name.empty()) {
      error = "Nie można zapisać dokumentu w katalogu " + dir.string();
      return {};
    }
    list += "<dokument nazwa=\"" + Escape(name) + "\">";
    for (const Content& att : d.attachments) {
      const std::string att_name = Save(dir, d.sys_ref, att);
      if (att_name.empty()) {
        error = "Nie można zapisać załącznika w katalogu " + dir.string();
        return {};
      }
      list += "<zalacznik nazwa=\"" + Escape(att_name) + "\"/>";
    }
    list += "</dokument>";
  }
  return list + "</dokumenty>";
}

// A date-time counted in days from 1899-12-30, as the module passes it, as YYYY-MM-DD.
std::string DayOf(double date_time) {
  const std::time_t t = static_cast<std::time_t>(std::floor((date_time - 25569.0) * 86400.0 + 0.5));
  std::tm tm{};
  gmtime_r(&t, &tm);
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", &tm);
  return text;
}

std::string Failure(const Answer& a) { return "-" + (a.error.empty() ? a.fault : a.error); }

}  // namespace

extern "C" {

const char* AcceptDocument(const char* login, const char* password, const char* system, const char* file_name, const char* url,
                           const char* proxy_user, const char* proxy_password, const char* proxy_host, int proxy_port,
                           bool use_default_proxy) {
  std::string content;
  if (!ReadFile(Str(file_name), content)) return Result("-Nie można odczytać pliku " + Str(file_name));
  const Proxy proxy{Str(proxy_user), Str(proxy_password), Str(proxy_host), proxy_port, use_default_proxy};
  const Answer a = Call(Str(url), AcceptDocumentEnvelope({Str(login), Str(password)}, Str(system),
                                                         fs::path(Str(file_name)).filename().string(), content),
                        "AcceptDocument", proxy);
  if (!a.error.empty() || !a.fault.empty()) return Result(Failure(a));
  return Result(a.sys_ref);
}

const char* GetDocumentBySysRef(const char* login, const char* password, const char* url, const char* sys_ref, const char* directory,
                                int wait_seconds, const char* proxy_user, const char* proxy_password, const char* proxy_host,
                                int proxy_port, bool use_default_proxy) {
  const Proxy proxy{Str(proxy_user), Str(proxy_password), Str(proxy_host), proxy_port, use_default_proxy};
  DocumentsQuery q;
  q.korelacja_sys_ref = Str(sys_ref);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::max(wait_seconds, 0));
  std::vector<Document> found;
  // Ask until answers come or the wait is over; once some came, one more round picks up
  // those produced together with them.
  for (bool last_round = false;;) {
    const Answer a = Call(Str(url), GetDocumentsEnvelope({Str(login), Str(password)}, q), "GetDocuments", proxy);
    if (!a.error.empty() || !a.fault.empty()) {
      if (found.empty()) return Result(Failure(a));
      break;
    }
    found.insert(found.end(), a.documents.begin(), a.documents.end());
    if (last_round || std::chrono::steady_clock::now() >= deadline) break;
    if (!found.empty()) last_round = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(found.empty() ? 1000 : 300));
  }
  if (found.empty()) return Result("");
  std::string error;
  const std::string list = SaveAll(Str(directory), found, error);
  return Result(error.empty() ? list : "-" + error);
}

const char* GetDocuments(const char* login, const char* password, const char* system, const char* url, const char* directory,
                         double from, double to, bool include_read, const char* proxy_user, const char* proxy_password,
                         const char* proxy_host, int proxy_port, bool use_default_proxy) {
  (void)system;  // the period and the account choose the documents
  const Proxy proxy{Str(proxy_user), Str(proxy_password), Str(proxy_host), proxy_port, use_default_proxy};
  DocumentsQuery q;
  q.data_od = DayOf(from);
  q.data_do = DayOf(to);
  q.only_unread = !include_read;
  // The platform gives at most a hundred documents a call; unread ones become read as they
  // come, so asking again brings the next hundred.
  constexpr size_t kPerCall = 100;
  std::vector<Document> found;
  for (;;) {
    const Answer a = Call(Str(url), GetDocumentsEnvelope({Str(login), Str(password)}, q), "GetDocuments", proxy);
    if (!a.error.empty() || !a.fault.empty()) {
      if (found.empty()) return Result(Failure(a));
      break;
    }
    found.insert(found.end(), a.documents.begin(), a.documents.end());
    if (!q.only_unread || a.documents.size() < kPerCall) break;
  }
  std::string error;
  const std::string list = SaveAll(Str(directory), found, error);
  return Result(error.empty() ? list : "-" + error);
}

}  // extern "C"
