#include <gtest/gtest.h>

#include <string>

#include "Common/Exception.h"
#include "Common/Version.h"

namespace vexo::Common {
namespace {

#if defined(__x86_64__) && defined(__linux__)
std::string Report(const char* message, const char* condition, const char* filename,
                   const char* function, const char* line) {
  return std::string("Exception: \n\t Message: ") + message + "\n\t Conditional expression: " +
         condition + "\n\t Version      : " + kVersionString +
         "\n\t Platform     : Linux\n\t Architecture : AMD64\n\t Filename     : " + filename +
         "\n\t Function     : " + function + "\n\t Linenumber   : " + line + "\n";
}

TEST(ExceptionReport, LayoutByteForByte) {
  const Exception e("tray != 0", 42, "src/print/Printer.cpp", "vexo::Print(int)", "Out of paper",
                    7);
  EXPECT_STREQ(e.what(),
               ("Exception: \n\t Message: Out of paper\n\t Conditional expression: tray != 0"
                "\n\t Version      : " + std::string(kVersionString) +
                "\n\t Platform     : Linux\n\t Architecture : AMD64"
                "\n\t Filename     : Printer.cpp\n\t Function     : vexo::Print(int)"
                "\n\t Linenumber   : 42\n").c_str());
  EXPECT_EQ(e.AuxValue(), 7u);
}

TEST(ExceptionReport, DerivedClassesShareTheLayout) {
  const BadAllocException bad("p == 0", 9, "a/b.cpp", "Grow(UInt32 n)", 4096);
  EXPECT_EQ(bad.what(), Report("Bad Allocation", "p == 0", "b.cpp", "Grow(UInt32 n)", "9"));
  EXPECT_EQ(bad.AuxValue(), 4096u);
  const Uni::UnicodeException uni("x", -3, "vexo::Uni::F", "Oops");
  EXPECT_EQ(uni.what(), Report("Oops", "x", "UnicodeUtils.cpp", "vexo::Uni::F", "-3"));
}

TEST(ExceptionReport, FormattedMessage) {
  const Exception empty(kFormatMessage, "buf", 5, "f.cpp", "F", "");
  EXPECT_EQ(empty.what(), Report("", "buf", "f.cpp", "F", "5"));
  const Exception args(kFormatMessage, "c", 5, "f.cpp", "F", "%s=%d/%x", "n", -12, 255u);
  EXPECT_EQ(args.Message(), "n=-12/ff");
}
#endif

TEST(ExceptionReport, FormattedMessageHasNoLengthLimit) {
  const std::string longText(5000, 'q');
  const Exception e(kFormatMessage, "c", 1, "f.cpp", "F", "<%s>", longText.c_str());
  EXPECT_EQ(e.Message(), "<" + longText + ">");
  EXPECT_NE(std::string(e.what()).find("\n\t Message: <" + longText + ">\n"), std::string::npos);
}

TEST(ExceptionReport, BaseNameCut) {
  struct Case {
    const char* name;
    const char* path;
    const char* expected;
  };
  const Case cases[] = {
      {"no separator", "Exception.cpp", "Exception.cpp"},
      {"slash", "Common/UnicodeUtils.cpp", "UnicodeUtils.cpp"},
      {"backslash", "C:\\src\\Common\\A.cpp", "A.cpp"},
      {"slash after backslash", "C:\\src/Common\\x/B.cpp", "B.cpp"},
      {"backslash after slash", "/home/u/src\\C.cpp", "C.cpp"},
      {"ends in slash", "src\\dir/", ""},
      {"ends in backslash", "src/dir\\", ""},
      {"empty", "", ""},
  };
  for (const Case& c : cases) {
    const Exception e("c", 1, c.path, "F", "m", 0);
    EXPECT_EQ(e.Filename(), c.expected) << c.name;
    EXPECT_NE(std::string(e.what()).find(std::string("\n\t Filename     : ") + c.expected +
                                         "\n\t Function     : "),
              std::string::npos)
        << c.name;
  }
}

TEST(ExceptionReport, ArchitectureNames) {
  const std::pair<Int32, const char*> cases[] = {
      {1, "x86"}, {2, "AMD64"}, {4, "Arm"}, {8, "Emscripten"},
      {0, "unknown Arch"}, {3, "unknown Arch"}, {16, "unknown Arch"}, {-1, "unknown Arch"},
  };
  for (const auto& [code, name] : cases) EXPECT_STREQ(ArchitectureName(code), name) << code;
#if defined(__x86_64__)
  EXPECT_EQ(PlatformInfo::Get().architectureCode, 2);
#endif
  EXPECT_STREQ(PlatformName(), "Linux");
}

TEST(ExceptionFamily, TypeNamesAndCatching) {
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
  EXPECT_STREQ(Exception("c", 1, "f", "F", "m", 0).GetTypeName(), "unspecified");
}

TEST(ExceptionFamily, CopiesOwnTheirTexts) {
  std::string message = "first";
  std::string path = "dir/file.cpp";
  const Exception original("c", 1, path.c_str(), "F", message.c_str(), 0);
  message.assign("changed");
  path.assign("other/place.cpp");
  const Exception copy = original;  // NOLINT(performance-unnecessary-copy-initialization)
  EXPECT_EQ(copy.Message(), "first");
  EXPECT_EQ(copy.Filename(), "file.cpp");
  EXPECT_STREQ(copy.what(), original.what());
  EXPECT_NE(copy.what(), original.what());
}

}  // namespace
}  // namespace vexo::Common
