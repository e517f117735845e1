#include "support/program_with_server.h"

#include <filesystem>

#include "common/text.h"
#include "support/child_process.h"
#include "support/product_settings.h"

void ProgramWithServerTest::SetUp() {
  env.SeedUserSid();
  installDir = env.dir().File("install/");
  std::filesystem::create_directories(installDir);
  program = installDir + "ORVUpdate.exe";
  std::filesystem::copy_file(BuiltProgram("ORVUpdate.exe"), program);
  devserver::Options options;
  options.storageDir = env.dir().File("storage");
  server = std::make_unique<devserver::Server>(options);
  std::string error;
  ASSERT_TRUE(server->Start(&error)) << error;
  apiBase = std::make_unique<ScopedEnv>("ORV_API_BASE", server->BaseUrl());
  ASSERT_TRUE(SetProductString(u"InstallPath", Utf8ToUtf16(installDir)));
}

std::optional<int> ProgramWithServerTest::Run(std::vector<std::string> args,
                                              std::chrono::milliseconds bound) {
  args.insert(args.begin(), "ORVUpdate.exe");
  ChildProcess child(program, args);
  return child.Wait(bound);
}
