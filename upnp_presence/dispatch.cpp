// Answers complete HTTP requests: the documents, the redirect, the refusals.
#include <arpa/inet.h>
#include <sys/socket.h>

#include <string>

#include "device.h"
#include "documents.h"
#include "interfaces.h"

namespace presence {

namespace {

bool is_root(std::string_view path) {
  return path == "/";
}
// Only the characters after the first are compared.
bool is_service_document(std::string_view path) {
  return path.size() == 22 && path.substr(1) == "MediaService/scpd.xml";
}
bool is_presentation(std::string_view path) {
  return path.size() > 3 && path.starts_with("/web");
}

// Value of the last header with exactly this name (ignoring case), if any.
std::optional<std::string_view> last_header(const HttpMessage& request, std::string_view name) {
  std::optional<std::string_view> found;
  for (const auto& field : request.headers)
    if (name_equals(field.name, name)) found = field.value;
  return found;
}

// The address this connection reached us on: a client can always get back
// to it, even when no interface was usable at start-up.
std::string connection_local_address(const ConnectionSlot& slot) {
  sockaddr_in local{};
  socklen_t len = sizeof local;
  if (getsockname(slot.socket.get(), reinterpret_cast<sockaddr*>(&local), &len) != 0)
    return "0.0.0.0";
  return address_text(local.sin_addr.s_addr);
}

void reply_head(ConnectionSlot& slot) {
  send_reply(slot, "HTTP/1.0 200 OK\r\nServer: " + std::string(kServer) +
                       "\r\nContent-Type: text/xml\r\n\r\n");
}

}  // namespace

void send_status_reply(ConnectionSlot& slot, int code, std::string_view text) {
  send_reply(slot, "HTTP/1.0 " + std::to_string(code) + " " + std::string(text) +
                       "\r\nServer: " + std::string(kServer) + "\r\nContent-Length: 0\r\n\r\n");
}

void redirect_to_web_admin(ConnectionSlot& slot, const HttpMessage&) {
  const DeviceState& device = *slot.device;
  const std::string address = device.local_address_text.value_or(connection_local_address(slot));
  send_reply(slot, "HTTP/1.0 302 Temporary Redirect\r\nLocation: http://" + address + ":" +
                       std::to_string(device.settings.web_admin_port) + "/\r\n\r\n");
}

void handle_subscribe(ConnectionSlot& slot, const HttpMessage& request) {
  // Renewals name a subscription we never granted; new ones are refused since
  // the service has no state variables.
  if (last_header(request, "SID"))
    send_reply(slot, "HTTP/1.1 412 Precondition Failed\r\n\r\n");
  else
    send_reply(slot, "HTTP/1.1 412 Invalid Service Name\r\n\r\n");
}

void handle_unsubscribe(ConnectionSlot& slot, const HttpMessage&) {
  // No subscription is ever granted, so no SID is ever known, whatever the path.
  send_reply(slot, "HTTP/1.1 412 Invalid SID\r\nContent-Length: 0\r\n\r\n");
}

void dispatch_request(const HttpMessage& request, ConnectionSlot& slot) {
  const std::string_view path = request.path;
  const std::string_view method = request.method;
  if (is_presentation(path)) {
    if (slot.device->presentation_handler)
      slot.device->presentation_handler(slot, request);
    else
      send_status_reply(slot, 404, "File Not Found");
    return;
  }
  if (method == "HEAD") {
    if (is_root(path) || is_service_document(path))
      reply_head(slot);
    else
      send_status_reply(slot, 404, "File Not Found");
  } else if (method == "GET") {
    if (is_root(path))
      send_reply(slot, slot.device->description_document);
    else if (is_service_document(path))
      send_reply(slot, service_document());
    else
      send_status_reply(slot, 404, "File Not Found");
  } else if (method == "POST") {
    // The service has no actions, whichever path is asked for.
    send_status_reply(slot, 404, "File Not Found");
  } else if (method == "SUBSCRIBE") {
    handle_subscribe(slot, request);
  } else if (method == "UNSUBSCRIBE") {
    handle_unsubscribe(slot, request);
  } else {
    send_status_reply(slot, 400, "Bad Request");
  }
}

}  // namespace presence
