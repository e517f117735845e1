// The product's application settings key ("Folio").
#pragma once

#include "settings/cfg_op_base.h"

class CCfgAppBase : public CCfgOPBase {
 public:
  using CCfgOPBase::CCfgOPBase;
};

class CCfgApp : public CCfgAppBase {
 public:
  CCfgApp();
  ~CCfgApp() override;

  // "InstallPath" (REG_SZ, or REG_EXPAND_SZ with its %NAME% expanded); empty
  // on any error.
  std::u16string GetInstallPath() const;
  // "AppDataPath", the same way.
  std::u16string GetAppDataPath() const;
};
