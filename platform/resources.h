// Resources embedded in the program, found by name: the files of the resources folder (Qt's
// resource system, prefix /ravelda) and data registered in code. Names compare without letter
// case and without the file extension ("WW_DBN_FIRST_ENABLED" finds ww_dbn_first_enabled.bmp).
#pragma once

#include "platform/exceptions.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

class TBitmap;

RAVELDA_EXCEPTION(EResNotFound, Exception);

// Adds (or replaces) a resource held in memory, e.g. from a generated array.
void RegisterResource(const QString& Name, const QByteArray& Data);
// The bytes of a resource; raises EResNotFound "Resource %s not found".
QByteArray FindResourceData(const QString& Name);
bool ResourceExists(const QString& Name);
// Every resource name, upper case, sorted.
QStringList ResourceNames();

// The BMP file of a bitmap resource; raises EResNotFound.
QByteArray FindBitmapResource(const QString& Name);
// A new bitmap from a bitmap resource; raises EResNotFound or EInvalidGraphic.
std::unique_ptr<TBitmap> LoadBitmapResource(const QString& Name);
