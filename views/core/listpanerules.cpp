#include "views/listpanerules.h"

int ListPaneFirstRowHeight(bool keepLayout, int saved, int pageHeight)
{
  const int height = keepLayout && saved > 0 ? saved : (int)(0.4 * pageHeight);
  return height > 0 ? height : 0;
}
