#pragma once
// Every answer kept in the user's cache folder (XDG_CACHE_HOME moves it), one
// file per request, so that what was fetched once works without a connection.

#include <QString>

namespace AavsoWeb::Cache {

// The folder, created when missing; empty when it cannot be.
QString folder();

// The file that keeps the answer to the request `key`; empty when there is no folder.
QString pathFor(const QString &key, const QString &suffix);

// When the copy at `path` was saved, as the label says it: "dd/MM/yyyy hh:mm".
QString savedOn(const QString &path);

} // namespace AavsoWeb::Cache
