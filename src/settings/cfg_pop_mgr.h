// The pop-up manager's settings key ("PopMgr").
#pragma once

#include "settings/cfg_op_base.h"

class CCfgShellCode : public CCfgOPBase {
 public:
  using CCfgOPBase::CCfgOPBase;
};

class CCfgPopMgr : public CCfgShellCode {
 public:
  CCfgPopMgr();
  ~CCfgPopMgr() override;
};
