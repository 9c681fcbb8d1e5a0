// The rules of Quick Add Site and Modify Login Information without windows:
// the connection limit a choice gives and the site fields the dialog's values
// fill (every text cut to its field).
#pragma once

#include <cstdint>

#include "engine/siterecord.h"

// Limit kinds: the radio buttons "None", "Single Limited", "No. limited".
enum : int {
  SITELIMIT_NONE = 0,
  SITELIMIT_SINGLE = 1,
  SITELIMIT_COUNT = 2,
};
constexpr int kMaxSiteLimitCount = 200;  // the count field takes 0..200
constexpr int kDefaultSiteLimitCount = 5;

// The site's connection limit: 200 for a count of 0, 1 for "Single Limited",
// else the count (cut to 1..200).
int32_t QuickAddConnLimit(int kind, int count);

// The count field's value for a stored limit (the inverse, as far as there is one).
int LimitCountFromConnLimit(int32_t connLimit);

struct LoginFieldValues {
  const char* host;
  int32_t port;
  const char* name;
  const char* user;
  const char* password;
  char limitKind;  // option digits 0, 1 and 4, each '0' + value
  char anonymous;
  char passive;
  int32_t connLimit;
};

// A new site's fields: defaults, then the login values.
void FillLoginFields(SiteFields& fields, const LoginFieldValues& values);
