// HttpRequests: the HTTP/1.1 side of the network device protocol: the requests one
// connection sends, read by the HTTP parser library (http_parser) from the bytes as they
// come, however they are split, pipelined requests included; and the text of a response.
// Inputs are bounded: a request (request line, headers and body) longer than
// kLongestRequest, a body that says it is longer, an upgrade to another protocol and
// anything that is not HTTP end the reading with the status to answer and the reason.
// Owned by the server's connection it reads for.
// Thread: any (no shared state); the server uses it on the user-interface thread.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct http_parser;

namespace orvane {

struct HttpRequest {
  std::string method;  // "GET", "PUT", ...
  std::string path;    // as sent, without the query
  std::string query;   // after "?", not decoded
  std::string contentType;
  std::string body;
  bool keepAlive = true;  // the connection may carry another request after the answer
};

class HttpRequestReader {
 public:
  static constexpr std::size_t kLongestRequest = 16 * 1024;

  HttpRequestReader();
  ~HttpRequestReader();
  HttpRequestReader(const HttpRequestReader&) = delete;
  HttpRequestReader& operator=(const HttpRequestReader&) = delete;

  // Reads bytes; each request completed by them is added to requests. False once the
  // stream cannot be read any further: refusedStatus() and refusedReason() say why.
  bool Feed(std::string_view bytes, std::vector<HttpRequest>& requests);
  // A request has begun and is not complete yet.
  bool midRequest() const { return bytesOfRequest_ > 0; }
  // The request being read asked to be told that its body is welcome ("Expect:
  // 100-continue"); true once per such request, when its headers are complete.
  bool TakeContinueWish();
  int refusedStatus() const { return refusedStatus_; }
  const std::string& refusedReason() const { return refusedReason_; }

 private:
  friend struct HttpReaderCallbacks;
  void refuse(int status, std::string reason);

  std::unique_ptr<http_parser> parser_;
  HttpRequest current_;
  std::string url_;
  std::string headerField_;
  std::string headerValue_;
  bool inValue_ = false;
  bool continueWished_ = false;
  std::size_t bytesOfRequest_ = 0;
  std::vector<HttpRequest>* completed_ = nullptr;
  int refusedStatus_ = 0;
  std::string refusedReason_;
};

// "Reason phrase" of the status codes the server answers with.
std::string_view HttpStatusText(int status);

// A whole response: status line, Content-Type, Content-Length and Connection headers, body.
// keepAlive false adds "Connection: close".
std::string HttpResponseText(int status, std::string_view contentType, std::string_view body,
                             bool keepAlive);

}  // namespace orvane
