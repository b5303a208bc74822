#pragma once

#include <QString>

// True for the extensions (without the dot, any case) of the movies the
// program plays: avi, mpg, asf, wmv, mpeg, mov.
bool is_movie_ext(const QString &ext);
