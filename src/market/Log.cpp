#include "Log.h"

Q_LOGGING_CATEGORY(quotaraLog, "quotara")
