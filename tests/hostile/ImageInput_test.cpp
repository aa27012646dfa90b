// Damaged page files of every format through the real worker: cut short,
// overwritten, bits flipped. A cut file must be refused; a file damaged
// inside may still decode, but then the run must succeed cleanly. Either
// way: no crash, no hang, no codec message on standard error, and no result
// file unless the run succeeded.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

#include "Pages.h"
#include "Scene.h"

namespace vexo::hostile {
namespace {

enum class Expect { Refused, SucceededOrRefused };

struct Damage {
  const char* name;
  std::function<std::string(const std::string&)> apply;
  Expect expect;
};

const Damage kDamages[] = {
    {"FirstByteOnly", [](const std::string& b) { return Cut(b, 1); }, Expect::Refused},
    {"FirstEightBytes", [](const std::string& b) { return Cut(b, 8); }, Expect::Refused},
    {"FirstSixteenBytes", [](const std::string& b) { return Cut(b, 16); }, Expect::Refused},
    {"FirstQuarter", [](const std::string& b) { return Cut(b, b.size() / 4); }, Expect::Refused},
    {"FirstHalf", [](const std::string& b) { return Cut(b, b.size() / 2); }, Expect::Refused},
    {"LastByteMissing", [](const std::string& b) { return Cut(b, b.size() - 1); },
     Expect::SucceededOrRefused},
    {"HeaderSetToOnes", [](const std::string& b) { return Overwrite(b, 4, 24, 0xFF); },
     Expect::SucceededOrRefused},
    {"HeaderSetToZeros", [](const std::string& b) { return Overwrite(b, 4, 24, 0x00); },
     Expect::SucceededOrRefused},
    {"SecondHalfZeroed",
     [](const std::string& b) { return Overwrite(b, b.size() / 2, b.size(), 0x00); },
     Expect::SucceededOrRefused},
    {"SecondHalfOnes",
     [](const std::string& b) { return Overwrite(b, b.size() / 2, b.size(), 0xFF); },
     Expect::SucceededOrRefused},
    {"OneBitFlipped", [](const std::string& b) { return FlipBits(b, 1, 1, 4); },
     Expect::SucceededOrRefused},
    {"FourBitsFlipped", [](const std::string& b) { return FlipBits(b, 2, 4, 4); },
     Expect::SucceededOrRefused},
    {"SixteenBitsFlipped", [](const std::string& b) { return FlipBits(b, 3, 16, 4); },
     Expect::SucceededOrRefused},
    {"HundredBitsFlipped", [](const std::string& b) { return FlipBits(b, 4, 100, 4); },
     Expect::SucceededOrRefused},
    {"HeaderBitsFlipped",
     [](const std::string& b) {
       return FlipBits(Cut(b, 64), 5, 8, 2) + b.substr(std::min<std::size_t>(64, b.size()));
     },
     Expect::SucceededOrRefused},
};

using DamageCase = std::tuple<PageFormat, Damage>;

class DamagedPage : public testing::TestWithParam<DamageCase> {};

TEST_P(DamagedPage, EndsInOneReportOrACleanResult) {
  const auto& [format, damage] = GetParam();
  const std::string& page = PageBytes(format);
  ASSERT_FALSE(page.empty()) << "zint or convert could not write " << format.file;
  const Scene scene;
  const std::string bitmap = scene.Write(format.file, damage.apply(page));
  const WorkerOutcome outcome = RunWorker({scene.Request(bitmap)});
  if (damage.expect == Expect::Refused) {
    EXPECT_TRUE(Refused(outcome, kBitmapRefused));
  } else {
    EXPECT_TRUE(SucceededOrRefused(outcome, kBitmapRefused));
  }
  EXPECT_EQ(test::Exists(scene.ResultPath()), outcome.exitCode == 0);
}

std::string DamageCaseName(const testing::TestParamInfo<DamageCase>& info) {
  return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(Hostile, DamagedPage,
                         testing::Combine(testing::ValuesIn(PageFormats()),
                                          testing::ValuesIn(kDamages)),
                         DamageCaseName);

// The undamaged pages read, so a refusal above is the damage's doing.
class IntactPage : public testing::TestWithParam<PageFormat> {};

TEST_P(IntactPage, IsReadWithItsSymbol) {
  const std::string& page = PageBytes(GetParam());
  ASSERT_FALSE(page.empty()) << "zint or convert could not write " << GetParam().file;
  const Scene scene;
  const WorkerOutcome outcome = RunWorker({scene.Request(scene.Write(GetParam().file, page))});
  ASSERT_TRUE(Succeeded(outcome));
  EXPECT_NE(test::ReadBytes(scene.ResultPath()).find("\"text\": \"hostile input\""),
            std::string::npos);
}

std::string FormatName(const testing::TestParamInfo<PageFormat>& param) { return param.param.name; }

INSTANTIATE_TEST_SUITE_P(Hostile, IntactPage, testing::ValuesIn(PageFormats()), FormatName);

}  // namespace
}  // namespace vexo::hostile
