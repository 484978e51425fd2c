#pragma once

#include <QString>

class TPetryNet;

// The formats a net can be read from and written to.
enum class TNetFormat { Qvx, Pnml };

// Reads a net from a file of either format (chosen by its content/extension).
// On failure answers false with a Russian message in *error and leaves the net untouched.
bool LoadNetDocument(const QString &fileName, TPetryNet &net, QString *error = nullptr,
                     TNetFormat *format = nullptr);
