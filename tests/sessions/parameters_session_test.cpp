// The general parameters through hostcam, as a session file drives them: point P picked in the graphics on
// the way, a maximum diameter typed, and the next Execute on the example plate holding every hole back.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "host/state.h"
#include "hostapp/hostcam.h"
#include "platform/ui/driver.h"
#include "support/private_module.h"
#include "support/temp_dir.h"

namespace {

const std::string kModule = privateModule();

TEST(ParametersSession, APickedPointAndATypedDiameterReachTheNextExecute) {
    TempDir dir;
    const std::string session = dir.path() + "/s.session";
    std::ofstream(session) << "invoke\n"
                              "click 18048 18005          # Parameters\n"
                              "check 18031 4119 1         # the drilling side follows P\n"
                              "click 18031 4120\n"
                              "click 18078 18041          # pick P\n"
                              "point 5 6 7\n"
                              "click 18078 1\n"
                              "type 18031 4109 1          # maximum diameter\n"
                              "click 18031 1\n"
                              "click 18048 18007          # Execute\n"
                              "answer IDOK\n"
                              "click 18048 1\n";
    std::ostringstream out, err;
    const int code = host::hostcamMain({"--plugin", kModule, "--host-dir", dir.path() + "/host", "--open",
                                        std::string(FX_SOURCE_DIR) + "/data/examples/holes_plate.step", "--session",
                                        session},
                                       out, err);
    EXPECT_EQ(code, 0) << err.str();
    const std::string transcript = out.str();
    const std::size_t prompt = transcript.find("host.prompt \"Pick the reference point\"");
    ASSERT_NE(prompt, std::string::npos) << transcript;
    // The drilling side opens again at once, showing the point picked.
    EXPECT_NE(transcript.find("dialog.show 18078", prompt), std::string::npos);
    EXPECT_NE(transcript.find("18091 Edit \"5.000\"", prompt), std::string::npos) << transcript;
    EXPECT_NE(transcript.find("walls wider than the maximum diameter 1 were left out"), std::string::npos) << transcript;
    EXPECT_EQ(transcript.find("script error"), std::string::npos) << transcript;
    host::reset();
    plat::driver().reset();
}

}  // namespace
