#include "PlayerFiles.h"
