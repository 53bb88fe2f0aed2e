// The whole program in virtual time with a simulated controller on COM1 and sharing on,
// serving the network device protocol of imaging programs (ASCOM Alpaca) on a free loopback
// port and its discovery on a free UDP port, and HTTP clients the test drives itself: a
// request is written on a real socket, the program reads it the next time it processes
// events, and the answer is read with the HTTP parser library, its body with the JSON one.
// Thread: the test's thread, which is the program's user-interface thread.
#pragma once

#include <http_parser.h>

#include <nlohmann/json.hpp>

#include "share/AlpacaServer.h"
#include "share/ShareTestSupport.h"

namespace orvane::share_test {

// What one request got.
struct HttpAnswer {
  int status = 0;  // 0: no answer
  std::string contentType;
  std::string body;
  bool closed = false;  // the program ended the connection afterwards
  // The body as JSON (null when it is none).
  nlohmann::json json() const {
    nlohmann::json parsed = nlohmann::json::parse(body, nullptr, false);
    return parsed.is_discarded() ? nlohmann::json() : parsed;
  }
};

// Reads the answers of one connection with the HTTP parser.
class HttpAnswerReader {
 public:
  HttpAnswerReader() {
    http_parser_init(&parser_, HTTP_RESPONSE);
    parser_.data = this;
    http_parser_settings_init(&settings_);
    settings_.on_header_field = [](http_parser* p, const char* at, size_t length) {
      auto& self = *static_cast<HttpAnswerReader*>(p->data);
      if (!self.field_.empty() && self.inValue_) self.endHeader();
      self.field_.append(at, length);
      return 0;
    };
    settings_.on_header_value = [](http_parser* p, const char* at, size_t length) {
      auto& self = *static_cast<HttpAnswerReader*>(p->data);
      self.inValue_ = true;
      self.value_.append(at, length);
      return 0;
    };
    settings_.on_headers_complete = [](http_parser* p) {
      static_cast<HttpAnswerReader*>(p->data)->endHeader();
      return 0;
    };
    settings_.on_body = [](http_parser* p, const char* at, size_t length) {
      static_cast<HttpAnswerReader*>(p->data)->current_.body.append(at, length);
      return 0;
    };
    settings_.on_message_complete = [](http_parser* p) {
      auto& self = *static_cast<HttpAnswerReader*>(p->data);
      self.current_.status = static_cast<int>(p->status_code);
      // An interim "100 Continue" is no answer.
      if (self.current_.status != 100) self.answers.push_back(std::move(self.current_));
      self.current_ = HttpAnswer{};
      return 0;
    };
  }
  void Feed(std::string_view bytes) {
    http_parser_execute(&parser_, &settings_, bytes.data(), bytes.size());
  }
  std::vector<HttpAnswer> answers;

 private:
  void endHeader() {
    std::string lower;
    for (char ch : field_) lower.push_back(static_cast<char>(std::tolower(ch)));
    if (lower == "content-type") current_.contentType = value_;
    field_.clear();
    value_.clear();
    inValue_ = false;
  }
  http_parser parser_{};
  http_parser_settings settings_{};
  HttpAnswer current_;
  std::string field_;
  std::string value_;
  bool inValue_ = false;
};

class AlpacaTest : public ShareTest {
 protected:
  void StartAlpaca(sim::ControllerOptions options = {}) {
    app().settings().write("AlpacaPort", std::to_string(alpacaPort_));
    app().settings().write("AlpacaDiscoveryPort", std::to_string(discoveryPort_));
    StartProgram(true, options);
    ASSERT_TRUE(alpaca().running());
  }

  AlpacaServer& alpaca() { return *app().app().alpaca(); }
  int alpacaPort() const { return alpacaPort_; }
  int discoveryPort() const { return discoveryPort_; }

  // Sends one request on the connection and runs the program until its answer is in.
  HttpAnswer Ask(TestClient& client, HttpAnswerReader& reader, const std::string& method,
                 const std::string& path, const std::string& body = {},
                 const std::string& contentType = "application/x-www-form-urlencoded") {
    std::string request = method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    if (method == "PUT") {
      request += "Content-Type: " + contentType + "\r\nContent-Length: " +
                 std::to_string(body.size()) + "\r\n";
    }
    request += "\r\n" + body;
    return Send(client, reader, request);
  }
  // Writes raw bytes and waits for the next answer (or the end of the connection).
  HttpAnswer Send(TestClient& client, HttpAnswerReader& reader, std::string_view bytes) {
    const size_t before = reader.answers.size();
    client.Write(bytes);
    RunUntil([&] {
      client.Poll();
      if (!client.received.empty()) {
        reader.Feed(client.received);
        client.received.clear();
      }
      return reader.answers.size() > before || client.closed;
    });
    if (reader.answers.size() <= before) return HttpAnswer{0, {}, {}, client.closed};
    HttpAnswer answer = reader.answers[before];
    answer.closed = client.closed;
    return answer;
  }
  // A request on a connection of its own.
  HttpAnswer Get(const std::string& path) {
    TestClient client(alpacaPort_);
    HttpAnswerReader reader;
    return Ask(client, reader, "GET", path);
  }
  HttpAnswer Put(const std::string& path, const std::string& body) {
    TestClient client(alpacaPort_);
    HttpAnswerReader reader;
    return Ask(client, reader, "PUT", path, body);
  }
  static std::string Device(const std::string& member) {
    return "/api/v1/telescope/0/" + member;
  }

 private:
  int alpacaPort_ = FreePort();
  int discoveryPort_ = FreePort();
};

}  // namespace orvane::share_test
