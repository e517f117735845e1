// "-close_ad": record the time of the request and end the pop-up page program.
#pragma once

// Writes "CloseAdTime" (server time, REG_QWORD) into the pop-up manager's
// settings, then ends the page program. Every failure is silent.
void CloseAdRequest();

// Ends the first process, other than this one, whose executable name holds
// "ORVPage.exe" (case-sensitive). True when there was none or it was ended.
bool EndPageProcess();
