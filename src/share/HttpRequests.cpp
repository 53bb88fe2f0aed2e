#include "share/HttpRequests.h"

#include <http_parser.h>

#include <climits>

#include "ui/Latin1.h"

namespace orvane {

namespace {

constexpr int kBadRequest = 400;
constexpr int kTooLarge = 413;

HttpRequestReader& ReaderOf(http_parser* parser) {
  return *static_cast<HttpRequestReader*>(parser->data);
}

}  // namespace

// The parser's callbacks, with access to the reader they fill in. Each returns 0 to go on,
// anything else to stop the parser with an error.
struct HttpReaderCallbacks {
  static int Grow(HttpRequestReader& reader, std::size_t bytes) {
    reader.bytesOfRequest_ += bytes;
    if (reader.bytesOfRequest_ <= HttpRequestReader::kLongestRequest) return 0;
    reader.refuse(kTooLarge, "a request is at most " +
                                 std::to_string(HttpRequestReader::kLongestRequest) + " bytes");
    return 1;
  }
  static void EndHeader(HttpRequestReader& reader) {
    if (reader.headerField_.empty()) return;
    if (ui::EqualIgnoringCase(reader.headerField_, "content-type")) {
      reader.current_.contentType = reader.headerValue_;
    } else if (ui::EqualIgnoringCase(reader.headerField_, "expect") &&
               ui::EqualIgnoringCase(reader.headerValue_, "100-continue")) {
      reader.continueWished_ = true;
    }
    reader.headerField_.clear();
    reader.headerValue_.clear();
    reader.inValue_ = false;
  }
  static int MessageBegin(http_parser* parser) {
    HttpRequestReader& reader = ReaderOf(parser);
    reader.current_ = HttpRequest{};
    reader.url_.clear();
    reader.headerField_.clear();
    reader.headerValue_.clear();
    reader.inValue_ = false;
    reader.continueWished_ = false;
    reader.bytesOfRequest_ = 1;
    return 0;
  }
  static int Url(http_parser* parser, const char* at, std::size_t length) {
    HttpRequestReader& reader = ReaderOf(parser);
    reader.url_.append(at, length);
    return Grow(reader, length);
  }
  static int HeaderField(http_parser* parser, const char* at, std::size_t length) {
    HttpRequestReader& reader = ReaderOf(parser);
    if (reader.inValue_) EndHeader(reader);
    reader.headerField_.append(at, length);
    return Grow(reader, length + 4);  // ": " and the line's end
  }
  static int HeaderValue(http_parser* parser, const char* at, std::size_t length) {
    HttpRequestReader& reader = ReaderOf(parser);
    reader.inValue_ = true;
    reader.headerValue_.append(at, length);
    return Grow(reader, length);
  }
  static int HeadersComplete(http_parser* parser) {
    HttpRequestReader& reader = ReaderOf(parser);
    EndHeader(reader);
    // A body that says it will not fit is refused before it comes.
    if (parser->content_length != ULLONG_MAX &&
        parser->content_length > HttpRequestReader::kLongestRequest) {
      reader.refuse(kTooLarge, "a request is at most " +
                                   std::to_string(HttpRequestReader::kLongestRequest) + " bytes");
      return 1;
    }
    reader.current_.method = http_method_str(static_cast<http_method>(parser->method));
    http_parser_url parts;
    http_parser_url_init(&parts);
    if (http_parser_parse_url(reader.url_.data(), reader.url_.size(), 0, &parts) != 0 ||
        (parts.field_set & (1 << UF_PATH)) == 0) {
      reader.refuse(kBadRequest, "the request's target is no path");
      return 1;
    }
    const auto field = [&](http_parser_url_fields which) {
      if ((parts.field_set & (1 << which)) == 0) return std::string();
      return reader.url_.substr(parts.field_data[which].off, parts.field_data[which].len);
    };
    reader.current_.path = field(UF_PATH);
    reader.current_.query = field(UF_QUERY);
    return 0;
  }
  static int Body(http_parser* parser, const char* at, std::size_t length) {
    HttpRequestReader& reader = ReaderOf(parser);
    reader.current_.body.append(at, length);
    return Grow(reader, length);
  }
  static int MessageComplete(http_parser* parser) {
    HttpRequestReader& reader = ReaderOf(parser);
    reader.current_.keepAlive = http_should_keep_alive(parser) != 0;
    reader.bytesOfRequest_ = 0;
    if (reader.completed_ != nullptr) reader.completed_->push_back(std::move(reader.current_));
    reader.current_ = HttpRequest{};
    return 0;
  }
};

namespace {

const http_parser_settings& Settings() {
  static const http_parser_settings settings = [] {
    http_parser_settings made;
    http_parser_settings_init(&made);
    made.on_message_begin = HttpReaderCallbacks::MessageBegin;
    made.on_url = HttpReaderCallbacks::Url;
    made.on_header_field = HttpReaderCallbacks::HeaderField;
    made.on_header_value = HttpReaderCallbacks::HeaderValue;
    made.on_headers_complete = HttpReaderCallbacks::HeadersComplete;
    made.on_body = HttpReaderCallbacks::Body;
    made.on_message_complete = HttpReaderCallbacks::MessageComplete;
    return made;
  }();
  return settings;
}

}  // namespace

HttpRequestReader::HttpRequestReader() : parser_(std::make_unique<http_parser>()) {
  http_parser_init(parser_.get(), HTTP_REQUEST);
  parser_->data = this;
}

HttpRequestReader::~HttpRequestReader() = default;

void HttpRequestReader::refuse(int status, std::string reason) {
  if (refusedStatus_ != 0) return;
  refusedStatus_ = status;
  refusedReason_ = std::move(reason);
}

bool HttpRequestReader::Feed(std::string_view bytes, std::vector<HttpRequest>& requests) {
  if (refusedStatus_ != 0) return false;
  if (bytes.empty()) return true;
  completed_ = &requests;
  const std::size_t parsed = http_parser_execute(parser_.get(), &Settings(), bytes.data(),
                                                 bytes.size());
  completed_ = nullptr;
  const http_errno error = HTTP_PARSER_ERRNO(parser_.get());
  if (error != HPE_OK) {
    refuse(kBadRequest, std::string("not HTTP: ") + http_errno_description(error));
    return false;
  }
  if (parser_->upgrade != 0) {
    refuse(kBadRequest, "no other protocol is offered on this port");
    return false;
  }
  if (parsed != bytes.size()) {
    refuse(kBadRequest, "not HTTP");
    return false;
  }
  return true;
}

bool HttpRequestReader::TakeContinueWish() {
  const bool wished = continueWished_ && bytesOfRequest_ > 0 && current_.body.empty() &&
                      !current_.method.empty();
  if (wished) continueWished_ = false;
  return wished;
}

std::string_view HttpStatusText(int status) {
  switch (status) {
    case 100:
      return "Continue";
    case 200:
      return "OK";
    case 400:
      return "Bad Request";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 413:
      return "Content Too Large";
    case 500:
      return "Internal Server Error";
    case 503:
      return "Service Unavailable";
    default:
      return "Unknown";
  }
}

std::string HttpResponseText(int status, std::string_view contentType, std::string_view body,
                             bool keepAlive) {
  std::string text = "HTTP/1.1 " + std::to_string(status) + " " +
                     std::string(HttpStatusText(status)) + "\r\n";
  text += "Content-Type: " + std::string(contentType) + "\r\n";
  text += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  if (!keepAlive) text += "Connection: close\r\n";
  text += "\r\n";
  text.append(body.data(), body.size());
  return text;
}

}  // namespace orvane
