#pragma once
// Where the program's plug-ins are: beside the program in a build, in the
// program's library folder once installed.
#include <QString>

// The path of the plug-in file `name` (e.g. "libpirumo_charts.so").
QString pluginPath(const QString &name);
