#include <gtest/gtest.h>

#include <string>

#include "Common/Exception.h"
#include "Common/Version.h"

namespace vexo::Common {
namespace {

#if defined(__x86_64__) && defined(__linux__)
TEST(ExceptionReport, LayoutByteForByte) {
  const std::string build = "\n\t Version      : " + std::string(kVersionString) +
                            "\n\t Platform     : Linux\n\t Architecture : AMD64";
  const struct {
    const char* name;
    Exception e;
    std::string report;
  } cases[] = {
      {"plain", Exception("tray != 0", 42, "src/print/Printer.cpp", "vexo::Print(int)", "Jam", 7),
       "Exception: \n\t Message: Jam\n\t Conditional expression: tray != 0" + build +
           "\n\t Filename     : Printer.cpp\n\t Function     : vexo::Print(int)"
           "\n\t Linenumber   : 42\n"},
      {"empty format", Exception(kFormatMessage, "buf", 5, "f.cpp", "F", ""),
       "Exception: \n\t Message: \n\t Conditional expression: buf" + build +
           "\n\t Filename     : f.cpp\n\t Function     : F\n\t Linenumber   : 5\n"},
      {"bad alloc", BadAllocException("p == 0", 9, "a\\b.cpp", "Grow(UInt32 n)", 4096),
       "Exception: \n\t Message: Bad Allocation\n\t Conditional expression: p == 0" + build +
           "\n\t Filename     : b.cpp\n\t Function     : Grow(UInt32 n)\n\t Linenumber   : 9\n"},
      {"unicode, negative line", Uni::UnicodeException("x", -3, "vexo::Uni::F", "Oops"),
       "Exception: \n\t Message: Oops\n\t Conditional expression: x" + build +
           "\n\t Filename     : UnicodeUtils.cpp\n\t Function     : vexo::Uni::F"
           "\n\t Linenumber   : -3\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.e.what(), c.report) << c.name;
  EXPECT_EQ(cases[0].e.AuxValue(), 7u);
  EXPECT_EQ(cases[2].e.AuxValue(), 4096u);
}
#endif

TEST(ExceptionReport, FormattedMessage) {
  EXPECT_EQ(Exception(kFormatMessage, "c", 1, "f", "F", "%s=%d/%x", "n", -12, 255u).Message(),
            "n=-12/ff");
  const std::string longText(5000, 'q');  // longer than one formatting chunk
  const Exception e(kFormatMessage, "c", 1, "f", "F", "<%s>", longText.c_str());
  EXPECT_EQ(e.Message(), "<" + longText + ">");
  EXPECT_NE(std::string(e.what()).find("\n\t Message: <" + longText + ">\n"), std::string::npos);
}

TEST(ExceptionReport, BaseNameCut) {
  const std::pair<const char*, const char*> cases[] = {
      {"Exception.cpp", "Exception.cpp"},   {"Common/UnicodeUtils.cpp", "UnicodeUtils.cpp"},
      {"C:\\src\\A.cpp", "A.cpp"},          {"C:\\src/Common\\x/B.cpp", "B.cpp"},
      {"/home/u/src\\C.cpp", "C.cpp"},      {"src\\dir/", ""},
      {"src/dir\\", ""},                    {"", ""},
  };
  for (const auto& [path, expected] : cases) {
    const Exception e("c", 1, path, "F", "m", 0);
    EXPECT_EQ(e.Filename(), expected) << path;
    EXPECT_NE(std::string(e.what()).find(std::string("\n\t Filename     : ") + expected +
                                         "\n\t Function     : "),
              std::string::npos)
        << path;
  }
}

TEST(ExceptionReport, ArchitectureAndPlatform) {
  const std::pair<Int32, const char*> cases[] = {
      {1, "x86"},          {2, "AMD64"},        {4, "Arm"},          {8, "Emscripten"},
      {0, "unknown Arch"}, {3, "unknown Arch"}, {16, "unknown Arch"}, {-1, "unknown Arch"},
  };
  for (const auto& [code, name] : cases) EXPECT_STREQ(ArchitectureName(code), name) << code;
#if defined(__x86_64__)
  EXPECT_EQ(PlatformInfo::Get().architectureCode, 2);
#endif
  EXPECT_STREQ(PlatformName(), "Linux");
}

TEST(ExceptionFamily, TypeNamesAndOwnedTexts) {
  EXPECT_STREQ(Exception("c", 1, "f", "F", "m", 0).GetTypeName(), "unspecified");
  try {
    throw BadAllocException("c", 1, "f", "F", 1);
  } catch (const std::exception& e) {
    EXPECT_STREQ(dynamic_cast<const Exception&>(e).GetTypeName(), "BadAllocException");
  }
  try {
    throw Uni::UnicodeException("c", 1, "F", "m");
  } catch (const Exception& e) {
    EXPECT_STREQ(e.GetTypeName(), "UnicodeException");
  }
  std::string message = "first";
  const Exception original("c", 1, "f", "F", message.c_str(), 0);
  message.assign("changed");
  const Exception copy(original);
  EXPECT_EQ(copy.Message(), "first");
  EXPECT_STREQ(copy.what(), original.what());
  EXPECT_NE(copy.what(), original.what());
}

}  // namespace
}  // namespace vexo::Common
