#include "settings/FormPlacement.h"

#include "res/uRes.h"
#include "settings/AppIniFileStorage.h"

#include <QRegularExpression>

#include <optional>

namespace {

QString Path(const QString &storagePath, const QString &key)
{
    return TAppIniFileStorage::ConcatPaths(storagePath, key);
}

// The key with the current resolution suffix if it is there, else the plain key.
QString ReadPosStr(const TAppIniFileStorage &storage, const QString &storagePath, const QString &key,
                   QSize resolution)
{
    const QString withResolution = Path(storagePath, key + ResolutionSuffix(resolution));
    if (storage.ValueStored(withResolution))
        return storage.ReadString(withResolution, QString());
    return storage.ReadString(Path(storagePath, key), QString());
}

// Field n (from 1) of text whose fields are separated by commas or blanks; nothing when it
// is missing or not an integer.
std::optional<int> Field(const QString &text, int n)
{
    static const QRegularExpression separators(QStringLiteral("[, ]+"));
    const QStringList fields = text.split(separators, Qt::SkipEmptyParts);
    if (n > fields.size())
        return std::nullopt;
    bool ok = false;
    const int value = fields[n - 1].toInt(&ok);
    // Far beyond any screen, and small enough that sums and differences of two fields
    // cannot overflow: a hand-edited file may hold anything.
    constexpr int Limit = 1 << 24;
    return ok ? std::optional<int>(qBound(-Limit, value, Limit)) : std::nullopt;
}

QString FourFields(int a, int b, int c, int d)
{
    return QString::asprintf("%d,%d,%d,%d", a, b, c, d);
}

} // namespace

QString ResolutionSuffix(QSize resolution)
{
    return QString::asprintf(uRes::ResolutionSuffixFormat, resolution.width(), resolution.height());
}

TStoredPlacement ReadFormPlacement(const TAppIniFileStorage &storage, const QString &storagePath, int version,
                                   const platform::TWindowPlacement &current, int pixelsPerInch,
                                   QSize resolution)
{
    TStoredPlacement stored;
    stored.placement = current;
    if (storage.ReadInteger(Path(storagePath, uRes::KeyFormVersion), 0) < version)
        return stored;
    stored.versionOk = true;

    platform::TWindowPlacement &p = stored.placement;
    const QString minMax = ReadPosStr(storage, storagePath, uRes::KeyMinMaxPos, resolution);
    if (!minMax.isEmpty()) {
        stored.found = true;
        p.minPosition = QPoint(Field(minMax, 1).value_or(0), Field(minMax, 2).value_or(0));
        p.maxPosition = QPoint(Field(minMax, 3).value_or(0), Field(minMax, 4).value_or(0));
    }
    const QString norm = ReadPosStr(storage, storagePath, uRes::KeyNormPos, resolution);
    if (!norm.isEmpty()) {
        stored.found = true;
        const int left = Field(norm, 1).value_or(current.left);
        const int top = Field(norm, 2).value_or(current.top);
        const int width = Field(norm, 3).value_or(current.right - current.left) - left;
        const int height = Field(norm, 4).value_or(current.bottom - current.top) - top;
        p.left = left;
        p.top = top;
        p.right = left + width;
        p.bottom = top + height;
    }
    if (stored.found)
        stored.found =
            storage.ReadInteger(Path(storagePath, uRes::KeyPixelsPerInch), pixelsPerInch) == pixelsPerInch;

    switch (storage.ReadInteger(Path(storagePath, uRes::KeyShowCmd), 0)) {
    case 1:
    case 5:
    case 9:
        stored.state = wsNormal;
        break;
    case 2:
    case 6:
    case 7:
        stored.state = wsMinimized;
        break;
    case 3:
        stored.state = wsMaximized;
        break;
    default:
        stored.state = wsNormal;
        break;
    }
    return stored;
}

void WriteFormPlacement(TAppIniFileStorage &storage, const QString &storagePath, int version,
                        const platform::TWindowPlacement &placement, int pixelsPerInch, QSize resolution)
{
    const QString suffix = ResolutionSuffix(resolution);
    storage.WriteInteger(Path(storagePath, uRes::KeyFormVersion), version);
    storage.WriteInteger(Path(storagePath, uRes::KeyShowCmd), placement.showCmd);
    storage.WriteInteger(Path(storagePath, uRes::KeyFlags), placement.flags);
    storage.WriteInteger(Path(storagePath, uRes::KeyPixelsPerInch), pixelsPerInch);
    const QString minMax = FourFields(placement.minPosition.x(), placement.minPosition.y(),
                                      placement.maxPosition.x(), placement.maxPosition.y());
    storage.WriteString(Path(storagePath, uRes::KeyMinMaxPos + suffix), minMax);
    storage.WriteString(Path(storagePath, uRes::KeyMinMaxPos), minMax);
    const QString norm = FourFields(placement.left, placement.top, placement.right, placement.bottom);
    storage.WriteString(Path(storagePath, uRes::KeyNormPos + suffix), norm);
    storage.WriteString(Path(storagePath, uRes::KeyNormPos), norm);
}
