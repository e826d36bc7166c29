#pragma once

// The SOAP 1.1 messages of the platform's document service, in one place. Shapes follow the
// published description of the service as far as it is known: AcceptDocumentRequest with one
// base64 document and its target system, answered by the document's SysRef; GetDocumentsRequest
// by SysRef, correlation or a period of at most ten days, answered by the documents with their
// attachments; WS-Security UsernameToken with a password digest; WS-Addressing MessageID.
// The simulator in tools/puesc-sim speaks the same shapes.

#include <string>
#include <vector>

namespace velmora::puesc {

inline constexpr const char* kSoapNs = "http://schemas.xmlsoap.org/soap/envelope/";
inline constexpr const char* kServiceNs = "http://www.mf.gov.pl/seap/wsChannel/2013/10/";
inline constexpr const char* kWsseNs = "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-secext-1.0.xsd";
inline constexpr const char* kWsuNs = "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-utility-1.0.xsd";
inline constexpr const char* kWsaNs = "http://www.w3.org/2005/08/addressing";

struct Credentials {
  std::string login;
  std::string password;
};

// password digest = Base64(SHA-1(nonce + created + Base64(SHA-1(password)))).
std::string PasswordDigest(const std::string& nonce_bytes, const std::string& created, const std::string& password);

std::string AcceptDocumentEnvelope(const Credentials& c, const std::string& system, const std::string& file_name,
                                   const std::string& content);

struct DocumentsQuery {
  std::string sys_ref;
  std::string korelacja_sys_ref;
  std::string data_od;  // YYYY-MM-DD
  std::string data_do;
  bool only_unread = true;
};
std::string GetDocumentsEnvelope(const Credentials& c, const DocumentsQuery& q);

struct Content {
  std::string file_name;
  std::string bytes;
};
struct Document {
  std::string sys_ref;
  Content content;
  std::vector<Content> attachments;
};

// What came back: the SysRef, the documents, or a fault ("B006: ..."). `error` is set when
// the answer is no SOAP envelope of the service.
struct Answer {
  std::string sys_ref;
  std::vector<Document> documents;
  std::string fault;
  std::string error;
};
Answer ParseAnswer(const std::string& body);

}  // namespace velmora::puesc
