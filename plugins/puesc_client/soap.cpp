#include "soap.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <ctime>
#include <memory>

namespace velmora::puesc {

namespace {

std::string Base64(const std::string& bytes) {
  std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), reinterpret_cast<const unsigned char*>(bytes.data()),
                                static_cast<int>(bytes.size()));
  out.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return out;
}

std::string Unbase64(const std::string& text) {
  std::string clean;
  clean.reserve(text.size());
  for (char c : text)
    if (!isspace(static_cast<unsigned char>(c))) clean += c;
  if (clean.empty()) return {};
  std::string out(3 * clean.size() / 4 + 3, '\0');
  const int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()), reinterpret_cast<const unsigned char*>(clean.data()),
                                static_cast<int>(clean.size()));
  if (n < 0) return {};
  size_t size = static_cast<size_t>(n);
  // DecodeBlock counts the padding as bytes.
  if (clean.size() >= 1 && clean.back() == '=') --size;
  if (clean.size() >= 2 && clean[clean.size() - 2] == '=') --size;
  out.resize(size);
  return out;
}

std::string Sha1(const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_sha1(), nullptr);
  return std::string(reinterpret_cast<const char*>(digest), size);
}

std::string Escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string RandomBytes(size_t n) {
  std::string out(n, '\0');
  RAND_bytes(reinterpret_cast<unsigned char*>(out.data()), static_cast<int>(n));
  return out;
}

std::string MessageId() {
  const std::string r = RandomBytes(16);
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (size_t i = 0; i < r.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) hex += '-';
    hex += kHex[static_cast<unsigned char>(r[i]) >> 4];
    hex += kHex[static_cast<unsigned char>(r[i]) & 15];
  }
  return "urn:uuid:" + hex;
}

std::string Envelope(const Credentials& c, const std::string& body) {
  char created[32];
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&now, &tm);
  std::strftime(created, sizeof created, "%Y-%m-%dT%H:%M:%SZ", &tm);
  const std::string nonce = RandomBytes(16);
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") + "<soapenv:Envelope xmlns:soapenv=\"" + kSoapNs +
         "\" xmlns:ws=\"" + kServiceNs + "\"><soapenv:Header><wsse:Security xmlns:wsse=\"" + kWsseNs + "\" xmlns:wsu=\"" + kWsuNs +
         "\"><wsse:UsernameToken><wsse:Username>" + Escape(c.login) +
         "</wsse:Username><wsse:Password Type=\"http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-username-token-profile-1.0#"
         "PasswordDigest\">" +
         PasswordDigest(nonce, created, c.password) +
         "</wsse:Password><wsse:Nonce EncodingType=\"http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-soap-message-security-1.0#"
         "Base64Binary\">" +
         Base64(nonce) + "</wsse:Nonce><wsu:Created>" + created + "</wsu:Created></wsse:UsernameToken></wsse:Security><wsa:MessageID xmlns:wsa=\"" +
         kWsaNs + "\">" + MessageId() + "</wsa:MessageID></soapenv:Header><soapenv:Body>" + body + "</soapenv:Body></soapenv:Envelope>";
}

struct DocFree {
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};

const char* Local(const xmlNode* n) { return reinterpret_cast<const char*>(n->name); }

bool Is(const xmlNode* n, const char* name) { return n && n->type == XML_ELEMENT_NODE && std::string(Local(n)) == name; }

const xmlNode* Child(const xmlNode* n, const char* name) {
  for (const xmlNode* c = n ? n->children : nullptr; c; c = c->next)
    if (Is(c, name)) return c;
  return nullptr;
}

std::string Text(const xmlNode* n) {
  if (!n) return {};
  xmlChar* t = xmlNodeGetContent(n);
  std::string s = t ? reinterpret_cast<const char*>(t) : "";
  xmlFree(t);
  return s;
}

std::string Attr(const xmlNode* n, const char* name) {
  xmlChar* v = xmlGetProp(n, reinterpret_cast<const xmlChar*>(name));
  std::string s = v ? reinterpret_cast<const char*>(v) : "";
  xmlFree(v);
  return s;
}

Content ReadContent(const xmlNode* n) { return {Attr(n, "filename"), Unbase64(Text(n))}; }

// Element text without surrounding blanks.
std::string Trimmed(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

}  // namespace

std::string PasswordDigest(const std::string& nonce_bytes, const std::string& created, const std::string& password) {
  return Base64(Sha1(nonce_bytes + created + Base64(Sha1(password))));
}

std::string AcceptDocumentEnvelope(const Credentials& c, const std::string& system, const std::string& file_name,
                                   const std::string& content) {
  return Envelope(c, "<ws:AcceptDocumentRequest><document><content filename=\"" + Escape(file_name) + "\" mime=\"application/xml\">" +
                         Base64(content) + "</content><targetSystems><system>" + Escape(system) +
                         "</system></targetSystems></document></ws:AcceptDocumentRequest>");
}

std::string GetDocumentsEnvelope(const Credentials& c, const DocumentsQuery& q) {
  // Elements in the order the request type declares them.
  std::string body = "<ws:GetDocumentsRequest>";
  if (!q.sys_ref.empty()) body += "<sysRef>" + Escape(q.sys_ref) + "</sysRef>";
  if (q.only_unread) body += "<pobrany>0</pobrany>";
  if (!q.data_od.empty()) body += "<dataOd>" + q.data_od + "</dataOd>";
  if (!q.data_do.empty()) body += "<dataDo>" + q.data_do + "</dataDo>";
  if (!q.korelacja_sys_ref.empty()) body += "<korelacjaSysref>" + Escape(q.korelacja_sys_ref) + "</korelacjaSysref>";
  return Envelope(c, body + "</ws:GetDocumentsRequest>");
}

Answer ParseAnswer(const std::string& body) {
  Answer a;
  // No network, no DTD, no entities: an answer is data, never instructions to fetch more.
  std::unique_ptr<xmlDoc, DocFree> doc(xmlReadMemory(body.data(), static_cast<int>(body.size()), nullptr, nullptr,
                                                     XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE));
  const xmlNode* env = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
  if (!env || !Is(env, "Envelope") || (doc->intSubset || doc->extSubset)) {
    a.error = "Niepoprawna odpowiedź systemu PUESC";
    return a;
  }
  const xmlNode* soap_body = Child(env, "Body");
  const xmlNode* answer = nullptr;
  for (const xmlNode* c = soap_body ? soap_body->children : nullptr; c; c = c->next)
    if (c->type == XML_ELEMENT_NODE) answer = answer ? answer : c;
  if (!answer) {
    a.error = "Niepoprawna odpowiedź systemu PUESC";
    return a;
  }
  if (Is(answer, "Fault")) {
    a.fault = Trimmed(Text(Child(answer, "faultstring")));
    if (a.fault.empty()) a.fault = "Błąd systemu PUESC";
    return a;
  }
  if (Is(answer, "AcceptDocumentResponse")) {
    a.sys_ref = Trimmed(Text(Child(Child(answer, "result"), "sysRef")));
    return a;
  }
  if (Is(answer, "GetDocumentsResponse")) {
    for (const xmlNode* d = answer->children; d; d = d->next) {
      if (!Is(d, "document")) continue;
      Document doc_entry;
      doc_entry.sys_ref = Trimmed(Text(Child(d, "sysRef")));
      if (const xmlNode* content = Child(d, "content")) doc_entry.content = ReadContent(content);
      for (const xmlNode* c = Child(d, "attachments") ? Child(d, "attachments")->children : nullptr; c; c = c->next)
        if (Is(c, "content")) doc_entry.attachments.push_back(ReadContent(c));
      a.documents.push_back(std::move(doc_entry));
    }
    return a;
  }
  a.error = "Niepoprawna odpowiedź systemu PUESC";
  return a;
}

}  // namespace velmora::puesc
