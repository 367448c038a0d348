// quorvex-cli's output on the real files of ../shared/testdata stays what it was: each command's
// standard output and exit status, with date-times masked (the test files' own times differ from
// machine to machine), is compared with a SHA-256 digest taken before the comparison model and
// the view host were introduced. The digests of `diff` were taken again when exports in the
// HEXASCII format began to be read as the text they stand for (the older release's files here
// are such exports). The test data's text never enters the repository, only digests.
#include <gtest/gtest.h>

#include <QCryptographicHash>

#include <regex>

#include "RunCli.h"

namespace {

struct TDigestCase {
  const char* Name;
  const char* Args;  // quorvex-cli's arguments, run in the test data folder
  const char* Sha256;
};

const char* const kP17 = "pfc/PB2017/Source/pfewnsrv/";
const char* const kP21 = "pfc/PB2021/Source/ws_objects/pfewnsrv/pfewnsrv.pbl.src/";

std::string Expand(std::string args) {
  for (auto [key, value] : {std::pair{"$P17/", kP17}, std::pair{"$P21/", kP21}})
    for (std::size_t at; (at = args.find(key)) != std::string::npos;) args.replace(at, std::string(key).size(), value);
  return args;
}

const TDigestCase kCases[] = {
    {"list", "list pfcmsg-pb9-8bit.pbl pfcmsg-pb10-16bit.pbl pbexamfn-pb10-16bit.pbl",
     "5fcd2b56184b4e23819cd9626687f5ca4e1ea5384a77a1d2db3e1b74eb64df10"},
    {"list json", "list --json pfcmsg-pb9-8bit.pbl pfcmsg-pb10-16bit.pbl pbexamfn-pb10-16bit.pbl",
     "c8e37f1eaa8ae70fb8020721d94fccf190ff5e1373c2c30fff5c548759b60b3d"},
    {"export 8-bit", "export pfcmsg-pb9-8bit.pbl", "e1161de1a7f76a360ce62acfd7026fa9b55537176d5eaf1e320c70ad2e63ad22"},
    {"export 16-bit", "export pfcmsg-pb10-16bit.pbl", "27d6966920bab3f28ac29ac63791534b45d9d836aac976097a5550ede0288a64"},
    {"export comments", "export pbexamfn-pb10-16bit.pbl",
     "507449bc8e38eca70aae8493a29fded9592f68c51eba9562acf278c7ee6784f1"},
    // The workspace names targets that are not there: nothing at all on stdout (once a lone "[").
    {"libs", "libs --json PFC.pbw generic_pfc_app.pbt",
     "ddb5eaf970e41bdeef2b9d0736febe42f56b86b384c8bee9cd8e97da2e3909c5"},
    {"compare", "compare pfcmsg-pb9-8bit.pbl pfcmsg-pb10-16bit.pbl",
     "0bfaa80f1bf035cc46a0a52fd0c3a7b407e4f69edc38690e6f96e2f481f61392"},
    // Each row also says what kind of change its pair is ("change").
    {"compare json", "compare --json pfcmsg-pb9-8bit.pbl pfcmsg-pb10-16bit.pbl",
     "e54ad80c2e6c5bc50490e19f30692e456c6f9399a8edab7f64a7e13798582825"},
    {"compare ignoring", "compare --ignore-case --ignore-blanks pfcmsg-pb9-8bit.pbl pfcmsg-pb10-16bit.pbl",
     "f94d3c9ebdd17774bb5c73eb4e38e0e4fcdb6cb125244e21c8cdcd950979d569"},
    {"compare-libs", "compare-libs --objects --json pfcmsg-pb9-8bit.pbl pfcmsg-pb10-16bit.pbl",
     "38f3969c20b8c21b7b8a96ce1ccdf709acdb69c6d5d085cf84e618a3ea70e76c"},
    {"diff", "diff $P17/n_cst_winsrv.sru $P21/n_cst_winsrv.sru",
     "5c6baeacdd183c3b8ec4ae9c58d5e05aaeaf4938b0b39e6cb44a1c7a0e2eacfc"},
    {"diff only", "diff --diffs-only $P17/n_cst_resize.sru $P21/n_cst_resize.sru",
     "867ddceea5597992be99ca9f8fa7ee2a6c4747b1e77aec1ef3a8e214eb627ced"},
    {"diff ignoring", "diff --ignore-case --ignore-blanks $P17/n_cst_menu.sru $P21/n_cst_menu.sru",
     "e4b648b3d7520e5b38c4c365d0103848b1eac436d60a48701f9de3044cd07364"},
    {"diff datawindow",
     "diff pfc/PB105/Source/pfcdwsrv/d_filtersimple.srd "
     "pfc/PB2021/Source/ws_objects/pfcdwsrv/pfcdwsrv.pbl.src/d_filtersimple.srd",
     "e9ce264aec35234269b114bd2e39ff3993d5bf126d9a186d2ac179f0ca0364bb"},
};

TEST(CliDigests, OutputsOnTheRealFilesAreUnchanged) {
  const std::filesystem::path data = testsupport::TestDataDir();
  if (!std::filesystem::exists(data / "pfc")) GTEST_SKIP() << "no test data at " << data;
  testsupport::TTempDir dir;
  const std::regex dateTime("[0-9]{4}-[0-9]{2}-[0-9]{2},? [0-9]{2}:[0-9]{2}:[0-9]{2}");
  for (const TDigestCase& c : kCases) {
    auto run = testsupport::Shell(dir, "cd " + testsupport::Quote(data.string()) + " && " +
                                           testsupport::Quote(QUORVEX_CLI) + " " + Expand(c.Args));
    const std::string masked = std::regex_replace(run.Out + "exit=" + std::to_string(run.Exit), dateTime, "T");
    const QByteArray digest =
        QCryptographicHash::hash(QByteArray::fromStdString(masked), QCryptographicHash::Sha256).toHex();
    EXPECT_EQ(digest.toStdString(), c.Sha256) << c.Name << ": quorvex-cli " << Expand(c.Args);
  }
}

}  // namespace
