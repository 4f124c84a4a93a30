#include "whois/whoislog.h"

Q_LOGGING_CATEGORY(lcWhois, "kestrin.whois", QtInfoMsg)
