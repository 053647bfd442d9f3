// Patch buffers and page sending: areas, loops, variables, hostile pages.
#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

class TemplatesTest : public testing::LibraryTest {
 protected:
  // What HttpSendFile writes for a page file with these contents.
  std::string send(const std::string& name, const std::string& content, PatchMem* p) {
    write_file("/usr/webroot/" + name, content);
    const std::string logical = "/usr/webroot/" + name;
    return testing::run_in_child([&] { HttpSendFile(logical.c_str(), p); }).out;
  }
  PatchMem* p = AllocatePatchMem();
};

constexpr const char* kHtml = "Content-type:text/html\n\n";

TEST_F(TemplatesTest, PageWithoutAreasIsPrintedUnchanged) {
  const std::string page = "<html>{TAG_x} <TAG_OTHER> text</html>\n";
  EXPECT_EQ(send("plain.html", page, p), kHtml + page);
}

TEST_F(TemplatesTest, VariableAreaPrintsOnceWithItsValues) {
  set_charset("ja", p);
  AppendPatchMem(p, "TITLE", "title", "Disks & <shares>");
  const std::string page =
      "<head><TAG_VARSTART_head><meta charset={TAG_charset} id={TAG_charsetid}>"
      "<title>{TAG_title}</title><TAG_VAREND_head>\n</head>";
  EXPECT_EQ(send("index.htm", page, p),
            std::string(kHtml) +
                "<head><meta charset=UTF-8 id=JP><title>Disks & <shares></title></head>");
}

TEST_F(TemplatesTest, LoopAreaPrintsOncePerIndex) {
  for (int i = 0; i < 3; ++i) {
    AppendLoopDataToPatchMem(p, "disks", "name", ("disk" + std::to_string(i)).c_str(), i);
    AppendLoopDataToPatchMem(p, "disks", "size", std::to_string(100 * i).c_str(), i);
  }
  const std::string page =
      "<ul>\n<TAG_LOOPSTART_disks><li>{TAG_name}: {TAG_size}</li>\n<TAG_LOOPEND_disks>\n</ul>\n";
  EXPECT_EQ(send("list.HTML", page, p),
            std::string(kHtml) +
                "<ul>\n<li>disk0: 0</li>\n<li>disk1: 100</li>\n<li>disk2: 200</li>\n</ul>\n");
}

TEST_F(TemplatesTest, MissingValuesLeaveTheRestOfThePassUnchanged) {
  AppendLoopDataToPatchMem(p, "l", "a", "A0", 0);
  AppendLoopDataToPatchMem(p, "l", "a", "A1", 1);
  AppendLoopDataToPatchMem(p, "l", "b", "B1", 1);
  const std::string page = "<TAG_LOOPSTART_l>[{TAG_a}{TAG_b}{TAG_a}]<TAG_LOOPEND_l>";
  EXPECT_EQ(send("l.html", page, p), std::string(kHtml) + "[A0{TAG_b}{TAG_a}][A1B1A1]");
}

TEST_F(TemplatesTest, LoopWithoutCountEndsThePageBeforeIt) {
  const std::string page = "before<TAG_LOOPSTART_none>x<TAG_LOOPEND_none>after";
  EXPECT_EQ(send("n.html", page, p), std::string(kHtml) + "before");
}

TEST_F(TemplatesTest, MalformedMarkupIsPrintedAsItStands) {
  for (const std::string& page : std::vector<std::string>{
           "a<TAG_VARSTART_x>no end tag", "a<TAG_VARSTART_x no close", "a<TAG_", "a<TAG_VARSTART_",
           "a<TAG_VARSTART_" + std::string(30, 'n') + ">b<TAG_VAREND_" + std::string(30, 'n') + ">",
           "<TAG_VARSTART_v>{TAG_unclosed<TAG_VAREND_v>"}) {
    SCOPED_TRACE(page);
    const std::string expected =
        page.find("{TAG_unclosed") != std::string::npos ? std::string("{TAG_unclosed") : page;
    EXPECT_EQ(send("m.html", page, p), kHtml + expected);
  }
}

TEST_F(TemplatesTest, AreaNamesUpToTheEndTagLimit) {
  AppendPatchMem(p, "", "v", "V");
  const std::string name26(26, 'n');
  EXPECT_EQ(send("a.html", "<TAG_VARSTART_" + name26 + ">{TAG_v}<TAG_VAREND_" + name26 + ">", p),
            std::string(kHtml) + "V");
  AppendLoopDataToPatchMem(p, name26.c_str(), "v", "L", 0);
  const std::string loop = "<TAG_LOOPSTART_" + name26 + ">{TAG_v}<TAG_LOOPEND_" + name26 + ">";
  EXPECT_EQ(send("b.html", loop, p), kHtml + loop) << "a loop end tag of 40 characters is too long";
}

TEST_F(TemplatesTest, RefusedLoopValueLeavesTheCountAlone) {
  AppendLoopDataToPatchMem(p, "L", "v", "v0", 0);
  AppendLoopDataToPatchMem(p, "L", std::string(130, 'n').c_str(), "v1", 1);
  EXPECT_STREQ(PatchStrstr(p->loop_start, "L"), "0\n");
}

TEST_F(TemplatesTest, OtherFilesAreSentByteForByte) {
  const std::string image("\x89PNG\r\n\x1a\n\0\x01<TAG_VARSTART_x>", 25);
  EXPECT_EQ(send("logo.png", image, p), "Content-type:image/jpg\n\n" + image);
  EXPECT_EQ(testing::run_in_child([] { HttpSendFile("/usr/webroot/missing.html", nullptr); }).out,
            "");
}

TEST_F(TemplatesTest, LoopCountsGrowInPlaceAndKeepOtherLoops) {
  AppendLoopDataToPatchMem(p, "first", "v", "f", 0);
  for (int i = 0; i <= 10; ++i) AppendLoopDataToPatchMem(p, "grow", "v", "g", i);
  AppendLoopDataToPatchMem(p, "last", "v", "l", 0);
  EXPECT_EQ(std::string(p->loop_start, p->loop_end), "first=0\ngrow=10\nlast=0\n");
  AppendLoopDataToPatchMem(p, "grow", "v", "late", 3);  // fewer digits: refused
  EXPECT_EQ(std::string(PatchStrstr(p->var_start, "v_3")).substr(0, 2), "g\n");
  EXPECT_STREQ(PatchStrstr(p->loop_start, "grow"), "10\nlast=0\n");
  EXPECT_EQ(std::string(p->var_start, p->var_end).find("late"), std::string::npos);
}

TEST_F(TemplatesTest, BuffersOutliveExitHandlers) {
  const auto child = testing::run_in_child([] {
    static PatchMem* kept = AllocatePatchMem();
    AppendPatchMem(kept, "", "v", "late");
    std::atexit([] { std::printf("%s", kept->var_start); });
    std::exit(0);
  });
  EXPECT_EQ(child.exit_status, 0);
  EXPECT_EQ(child.out, "v_0=late\n");
}

TEST_F(TemplatesTest, KeysMatchWholeLinesOnly) {
  AppendPatchMem(p, "", "username", "root");
  AppendPatchMem(p, "", "name", "nas1");
  EXPECT_STREQ(PatchStrstr(p->var_start, "name_0"), "nas1\n");
  EXPECT_EQ(PatchStrstr(p->var_start, "ame_0"), nullptr);
  AppendPatchMem(p, "", "evil", "x\nname_0=injected");
  EXPECT_STREQ(PatchStrstr(p->var_start, "name_0"), "nas1\nevil_0=x name_0=injected\n")
      << "a line break in a value cannot add a variable";
}

TEST_F(TemplatesTest, FullBufferRefusesAppendsAndThePageStillPrints) {
  const std::string big(1000, 'v');
  for (int i = 0; i < 100; ++i)
    AppendPatchMem(p, "", ("k" + std::to_string(i)).c_str(), big.c_str());
  const size_t used = static_cast<size_t>(p->var_end - reinterpret_cast<char*>(p));
  EXPECT_LT(used, 65536u);
  EXPECT_EQ(*p->var_end, '\0');
  EXPECT_NE(PatchStrstr(p->var_start, "k0_0"), nullptr);
  EXPECT_EQ(PatchStrstr(p->var_start, "k99_0"), nullptr) << "did not fit, left out";
  for (int i = 0; i < 2000; ++i)
    AppendLoopDataToPatchMem(p, ("loop" + std::to_string(i)).c_str(), "x", "y", 0);
  EXPECT_LT(p->loop_end, p->var_start);
  EXPECT_EQ(send("t.html", "<TAG_VARSTART_a>{TAG_k0}<TAG_VAREND_a>", p).size(),
            std::string(kHtml).size() + 1000);
}

}  // namespace
}  // namespace nexa
