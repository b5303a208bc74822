#include "favourites/favourites_log.h"

Q_LOGGING_CATEGORY(lcFavourites, "sazanami.favourites", QtInfoMsg)
