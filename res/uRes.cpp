#include "res/uRes.h"
