// download_probe URL PATH: one DownloadToFile by a client of its own, as a
// separate run of the program would do it. Exit code 0 when it succeeded.
#include "common/text.h"
#include "server_api/connect_help.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  CClientSetup setup;
  setup.fingerprint = u"PROBE";
  setup.signedBase = u"http://127.0.0.1:1/";
  setup.queryBase = setup.signedBase;
  CConnectHelp client(std::move(setup));
  return client.DownloadToFile(Utf8ToUtf16(argv[1]), Utf8ToUtf16(argv[2]), nullptr) ? 0 : 1;
}
