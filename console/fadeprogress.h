// The console's progress bar: the gradient bar, with its percentage in white
// when SetShowText asks for it.
#pragma once

#include "console/fadeprogresstext.h"
#include "toolkit/memprogress.h"

class CFadeProgressCtrl : public CMemProgressBar {
public:
  CFadeProgressCtrl();

protected:
  afx_msg void OnPaint();
  DECLARE_MESSAGE_MAP()
};
