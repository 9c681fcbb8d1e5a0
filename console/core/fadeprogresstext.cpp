#include "console/fadeprogresstext.h"

#include <cstdio>
#include <string>

std::string FadeProgressText(int pos, int upper)
{
  char text[32];
  snprintf(text, sizeof(text), "%.0f%%", upper != 0 ? pos * 100.0 / upper : 0.0);
  return text;
}
