// DOS paths mapped to host paths: backslashes, drive letters and case-insensitive components.
#include "platform/dos_path.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace vx::platform {
namespace {

TEST(DosPath, FindsComponentsWhateverTheirCase) {
  test::TempDir dir;
  test::WriteFile(dir / "Menus/MAIN.mnu", std::string("x"));
  Environment env;
  EXPECT_EQ(HostPath(dir.path() + "/MENUS/main.MNU", env), dir.path() + "/Menus/MAIN.mnu");
  EXPECT_EQ(HostPath(dir.path() + "\\menus\\Main.Mnu", env), dir.path() + "/Menus/MAIN.mnu");
  // A new file keeps the spelling the node gives it, inside the directory as spelled on disk.
  EXPECT_EQ(HostPath(dir.path() + "/MENUS/NEW.MNU", env), dir.path() + "/Menus/NEW.MNU");
  // A directory keeps its trailing separator.
  EXPECT_EQ(HostPath(dir.path() + "\\MENUS\\", env), dir.path() + "/Menus/");
}

TEST(DosPath, DrivesMapThroughTheEnvironment) {
  test::TempDir dir;
  test::WriteFile(dir / "BBS/CONFIG.VX", std::string("x"));
  Environment env({"VX_DRIVE_C=" + dir.path() + "/"});
  HostPathResult r = ResolveHostPath("c:\\bbs\\config.vx", env);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.path, dir.path() + "/BBS/CONFIG.VX");
  EXPECT_EQ(HostPath("C:BBS\\CONFIG.VX", env), dir.path() + "/BBS/CONFIG.VX");

  HostPathResult unmapped = ResolveHostPath("D:\\BBS\\CONFIG.VX", env);
  EXPECT_FALSE(unmapped.ok());
  EXPECT_NE(unmapped.error.find("VX_DRIVE_D"), std::string::npos);
}

TEST(DosPath, RelativePathsStayRelative) {
  test::TempDir dir;
  test::WriteFile(dir / "Node1/x", std::string("x"));
  test::ScopedChdir cd(dir.path());
  Environment env;
  EXPECT_EQ(HostPath("NODE1\\X", env), "Node1/x");
  EXPECT_EQ(HostPath("CONFIG.VX", env), "CONFIG.VX");
  EXPECT_EQ(HostPath("", env), ".");
}

TEST(Environment, NamesAreUpperCasedAndComparedExactly) {
  Environment env({"vx=lower", "VXX=longer", "VX=/srv/bbs", "VX=second"});
  EXPECT_EQ(env.Value("vx"), "/srv/bbs");
  EXPECT_EQ(env.ExactValue("vx"), "lower");
  EXPECT_EQ(env.Value("none"), "");
  EXPECT_TRUE(env.Has("VXX"));
  env.Set("VX", "new");
  EXPECT_EQ(env.Value("VX"), "new");
}

}  // namespace
}  // namespace vx::platform
