// The packed text format, the packer and the stored documents.
#include "packed_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "documents.h"
#include "packed_documents.h"

namespace presence {
namespace {

using Bytes = std::vector<unsigned char>;

// Walks a stream and checks every record against the format's limits.
void expect_well_formed(const Bytes& packed, size_t expanded_length) {
  size_t in = 0, out = 0, last_copy = 0;
  while (out < expanded_length) {
    ASSERT_LT(in, packed.size());
    const size_t literals = packed[in];
    in += 1 + literals;
    out += literals;
    ASSERT_LE(in + 2, packed.size());
    const size_t length = packed[in] & 0x3f;
    const size_t distance = (packed[in] >> 6) + packed[in + 1] * 4u;
    in += 2;
    if (length > 0) {
      EXPECT_GE(distance, length) << "copy overlaps its source at output " << out;
      EXPECT_LE(distance, out);
    }
    out += length;
    last_copy = length;
  }
  EXPECT_EQ(out, expanded_length);
  EXPECT_EQ(in, packed.size());
  EXPECT_EQ(last_copy, 0u) << "the last record must copy nothing";
}

TEST(ExpandPackedText, LiteralOnlyRecord) {
  const Bytes packed = {3, 'a', 'b', 'c', 0, 0};
  EXPECT_EQ(expand_packed_text(packed, 3), "abc");
}

TEST(ExpandPackedText, CopyFromEarlierOutput) {
  // "abcd" then copy 4 from 4 back, then "!" to end.
  const Bytes packed = {4, 'a', 'b', 'c', 'd', 4, 1, 1, '!', 0, 0};
  EXPECT_EQ(expand_packed_text(packed, 9), "abcdabcd!");
}

TEST(ExpandPackedText, RefusesBrokenStreams) {
  EXPECT_FALSE(expand_packed_text(Bytes{3, 'a', 'b'}, 3)) << "literals cut short";
  EXPECT_FALSE(expand_packed_text(Bytes{1, 'a', 2, 1}, 5)) << "copy from before the start";
  EXPECT_FALSE(expand_packed_text(Bytes{0, 0, 0}, 2)) << "a record that produces nothing";
  EXPECT_FALSE(expand_packed_text(Bytes{1, 'a'}, 4)) << "stream ends before the length";
  EXPECT_FALSE(expand_packed_text(Bytes{2, 'a', 'b', 0, 0}, 1)) << "literals past the length";
  EXPECT_FALSE(expand_packed_text(Bytes{2, 'a', 'b', 63 | 0x80, 0}, 10)) << "copy past the length";
}

TEST(PackText, RoundTripsVariedTextsWithinTheFormatLimits) {
  std::mt19937 rng(12345);
  std::vector<std::string> texts = {
      "", "a", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa",
      std::string(700, 'x') + "y"};
  for (int n = 0; n < 40; ++n) {
    std::string text;
    const size_t size = rng() % 3000;
    const int alphabet = 2 + static_cast<int>(rng() % 60);
    for (size_t i = 0; i < size; ++i) text += static_cast<char>('!' + rng() % alphabet);
    texts.push_back(text);
  }
  std::string random_bytes;
  for (int i = 0; i < 1000; ++i) random_bytes += static_cast<char>(rng());
  texts.push_back(random_bytes);  // needs literal runs longer than 255

  for (const auto& text : texts) {
    const Bytes packed = pack_text(text);
    expect_well_formed(packed, text.size());
    EXPECT_EQ(expand_packed_text(packed, text.size()), text);
  }
}

TEST(PackedDocuments, DescriptionTemplateIsUnderTwoThirdsOfItsSize) {
  EXPECT_LT(sizeof packed::description_template * 3, packed::description_template_length * 2);
  expect_well_formed(
      Bytes(std::begin(packed::description_template), std::end(packed::description_template)),
      packed::description_template_length);
}

TEST(PackedDocuments, ServiceReplyIsTheWholeReply) {
  const std::string body =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?><scpd xmlns=\"urn:schemas-upnp-org:service-1-0\">"
      "<specVersion><major>1</major><minor>0</minor></specVersion><actionList />"
      "<serviceStateTable /></scpd>";
  ASSERT_EQ(body.size(), 186u);
  EXPECT_EQ(service_document(),
            "HTTP/1.0 200  OK\r\nCONTENT-TYPE:  text/xml\r\n"
            "Server: POSIX, UPnP/1.0, Orvane Tessel/1.0.1545\r\nContent-Length: 186\r\n\r\n" +
                body);
}

TEST(PackedDocuments, DescriptionCarriesTheValuesEscaped) {
  const std::string doc = build_description_document("Tom & Jerry <1>", "0000001",
                                                     "f6edff09-71a4-47df-8088-192.168.1.20");
  EXPECT_EQ(
      doc,
      "HTTP/1.0 200  OK\r\nCONTENT-TYPE:  text/xml\r\n"
      "Server: WINDOWS, UPnP/1.0, Quorvel ZentraLite UPnP/1.0.1545\r\n\r\n"
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
      "<root xmlns=\"urn:schemas-upnp-org:device-1-0\">"
      "<specVersion><major>1</major><minor>0</minor></specVersion><device>"
      "<deviceType>urn:schemas-upnp-org:device:QuorvelZentraLite:1</deviceType>"
      "<presentationURL>/web</presentationURL>"
      "<friendlyName>Tom &amp; Jerry &lt;1&gt;</friendlyName>"
      "<manufacturer>Quorvel Technology</manufacturer>"
      "<manufacturerURL>http://www.quorvel.com/</manufacturerURL>"
      "<modelDescription /><modelName /><modelNumber />"
      "<serialNumber>0000001</serialNumber>"
      "<UDN>uuid:f6edff09-71a4-47df-8088-192.168.1.20</UDN>"
      "<iconList><icon><mimetype>image/png</mimetype><width>16</width><height>16</height>"
      "<depth>32</depth><url>ztile.png</url></icon></iconList>"
      "<serviceList><service>"
      "<serviceType>urn:schemas-upnp-org:service:WANCommonInterfaceConfig:1</serviceType>"
      "<serviceId>urn:upnp-org:serviceId:WANCommonInterfaceConfig</serviceId>"
      "<SCPDURL>MediaService/scpd.xml</SCPDURL><controlURL>MediaService/control</controlURL>"
      "<eventSubURL>MediaService/event</eventSubURL></service></serviceList></device></root>");
}

TEST(XmlEscape, KeepsTextWellFormedWhateverTheBytes) {
  const std::string fffd = "\xEF\xBF\xBD";
  const struct {
    std::string in, out;
  } rows[] = {
      {"a\"b'c\x01\td\n", "a&quot;b&apos;c\td"},
      {"%s <&>", "%s &lt;&amp;&gt;"},
      {"Caf\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x8E\xB5", "Caf\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x8E\xB5"},
      {"Caf\xE9", "Caf" + fffd},                        // Latin-1
      {"\x80x\xBF", fffd + "x" + fffd},                 // stray continuations
      {"\xC0\xAF", fffd + fffd},                        // overlong "/"
      {"\xE0\x80\xAF", fffd + fffd + fffd},             // overlong, three bytes
      {"\xED\xA0\x80", fffd + fffd + fffd},             // a surrogate
      {"\xF4\x90\x80\x80", fffd + fffd + fffd + fffd},  // past U+10FFFF
      {"\xF5\xFE\xFF", fffd + fffd + fffd},             // never in UTF-8
      {"ab\xE6\x97", "ab" + fffd + fffd},               // cut at the end
      {"\x7F\xC2\x85\xC2\x9F\xC2\xA0", "\xC2\xA0"},     // DEL and C1 controls
      {"\xEF\xBF\xBE\xEF\xBF\xBF\xEF\xBF\xBD", fffd},   // non-characters
      {std::string("a\0b", 3), "ab"},
  };
  for (const auto& row : rows) EXPECT_EQ(xml_escape(row.in), row.out) << row.in;
}

TEST(XmlEscape, AnXmlParserAcceptsTheDescriptionWithAnyNameBytes) {
  std::string name;
  for (int byte = 0; byte < 256; ++byte) name += static_cast<char>(byte);
  name += "\xE6\x97\xA5\xED\xA0\x80\xF0\x9F\x8E";
  const std::string doc = build_description_document(name, "0000001", "f6edff09");
  // Python's expat parser is as strict as a control point's.
  std::FILE* parser = ::popen(
      "/usr/bin/python3 -c 'import sys, xml.dom.minidom; "
      "xml.dom.minidom.parseString(sys.stdin.buffer.read())'",
      "w");
  ASSERT_NE(parser, nullptr);
  const std::string body = doc.substr(doc.find("\r\n\r\n") + 4);
  std::fwrite(body.data(), 1, body.size(), parser);
  EXPECT_EQ(::pclose(parser), 0) << "the parser refused the document";
}

}  // namespace
}  // namespace presence
