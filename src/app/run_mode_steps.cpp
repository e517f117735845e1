#include "app/run_mode_steps.h"

#include "common/folders.h"
#include "common/product.h"
#include "platform/process.h"

// Sending the start-up reports needs the server API client; until it is part
// of the program these steps send nothing.
void InitServerClient() {}

void SendStartupReport(int, bool) {}

// Packing and uploading dumps needs the archive writer and the upload request.
void RunDumpUpload(const std::u16string&) {}

void RunCloseAdRequest() {}

// The update dialog is the UI framework's first window.
bool RunMainDialog(bool) { return false; }

void RelaunchElevated(const std::u16string& arguments) {
  (void)platform::ShellRunAs(GetInstallDir() + product::kProgramFile, arguments);
}
