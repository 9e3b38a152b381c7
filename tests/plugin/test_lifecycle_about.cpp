// The About box text.
#include <cstring>
#include <string>

#include "PluginTestSupport.h"

namespace kestrow::test {
namespace {

const char kAboutText[] =
    "Kestrow, v2.3\r"
    "Create mattes based on world position data.\n\n32bpc only.\nEither use a linear "
    "workspace,\nor apply 'Color Profile Converter' before this effect with the output set to "
    "linear.\n\nWritten by the Kestrow team.";

using AboutTest = LoadedPlugin;

TEST_F(AboutTest, TextToTheByte) {
  PF_InData in = host_.makeInData();
  PF_OutData out = filledOutData(0xEE);
  ASSERT_EQ(host_.rawCall(PF_Cmd_ABOUT, in, out, nullptr, nullptr, nullptr), PF_Err_NONE);
  static_assert(sizeof kAboutText <= sizeof out.return_msg);
  EXPECT_EQ(firstDifference(out.return_msg, kAboutText, sizeof kAboutText), -1)
      << "got: " << std::string(out.return_msg, strnlen(out.return_msg, sizeof out.return_msg));
  const host::CommandRecord last = host_.lastCommand();
  EXPECT_EQ(last.suitesAcquired, 1);  // the ANSI suite
  EXPECT_TRUE(leftNothing(last));
}

TEST_F(AboutTest, PremiereShowsItsOwn) {
  PF_InData in = host_.makeInData();
  in.appl_id = static_cast<A_long>(PF_APPL_ID_PREMIERE);
  PF_OutData out = filledOutData(0xEE);
  const PF_OutData before = out;
  EXPECT_EQ(host_.rawCall(PF_Cmd_ABOUT, in, out, nullptr, nullptr, nullptr), PF_Err_NONE);
  EXPECT_EQ(firstDifference(&before, &out, sizeof out), -1);
  EXPECT_EQ(host_.lastCommand().suitesAcquired, 0);
}

}  // namespace
}  // namespace kestrow::test
