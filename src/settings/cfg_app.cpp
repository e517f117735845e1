#include "settings/cfg_app.h"

#include "common/product.h"
#include "settings/cfg_pop_mgr.h"

CCfgApp::CCfgApp() : CCfgAppBase(product::kProductKey) {}

CCfgApp::~CCfgApp() = default;

std::u16string CCfgApp::GetInstallPath() const { return ReadExpandedStringValue(m_key, u"InstallPath"); }

std::u16string CCfgApp::GetAppDataPath() const { return ReadExpandedStringValue(m_key, u"AppDataPath"); }

CCfgPopMgr::CCfgPopMgr() : CCfgShellCode(u"PopMgr") {}

CCfgPopMgr::~CCfgPopMgr() = default;
