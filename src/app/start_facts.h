// What the run modes read off this start: the start-by code of the command
// line, whether the user asked for no action lately, the integrity level, the
// wait of "-auto" and the dialog's window class name. Each has a pure form
// (tested with fixed inputs) and one that reads this process and machine.
#pragma once

#include <cstdint>
#include <string>

inline constexpr int kStartByUnknown = 102;
inline constexpr uint32_t kHighIntegrityRid = 0x3000;
inline constexpr uint32_t kAutoModeDelayMs = 300000;

// The number after the first "-startby=" of commandLine, read as %d; 102
// when there is no such switch or no number follows it.
int ParseStartBy(const std::u16string& commandLine);
// ParseStartBy of this process's command line.
int ParseStartBy();

// The mandatory integrity RID of the process; 0x3000 on systems without levels.
uint32_t GetIntegrityLevel();

// True when noAction (seconds since 1970) lies in the same local calendar
// year as now and fewer than 7 days of that year before it (or after it).
bool IsNoActionRecent(int64_t now, int64_t noAction);
// The same for the clock and the settings value "NoAction".
bool IsNoActionRecent();

// The dialog's window class: 16 characters from index 10 of the MD5 text of
// computerName + "Orvane" + "ORVORVUpdate" in the ANSI code page.
std::u16string BuildWindowClassName(const std::u16string& computerName);
// The class name for this computer, computed once per process.
const std::u16string& BuildWindowClassName();

// The wait of "-auto": ORV_AUTO_DELAY_MS when set to a number, else 5 minutes.
uint32_t AutoModeDelayMs();
