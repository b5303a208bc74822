#pragma once

#include <QString>
#include <QStringList>

// True for the extensions (without the dot, any case) of the movies the
// program plays: avi, mpg, asf, wmv, mpeg, mov.
bool is_movie_ext(const QString &ext);

// The same extensions in the order of the association boxes: mpg, mpeg, avi,
// asf, wmv, mov.
const QStringList &movie_extensions();
