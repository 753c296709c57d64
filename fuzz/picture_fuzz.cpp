// Any bytes as a template scan, at a coarse and a fine screen. A picture that loads must keep to
// the pixel budget and to a sane real size; a refusal must say why. Anything else aborts so the
// fuzzer keeps the input.

#include "core/pictures/PictureLoader.h"

#include <cstdint>
#include <cstdlib>

using namespace formulix;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const double pixelsPerMm : {0.5, 8.0}) {
        QString error;
        const std::optional<Picture> picture = decodePicture(bytes, QStringLiteral("fuzz"), pixelsPerMm, &error);
        if (!picture) {
            if (error.isEmpty())
                std::abort();
            continue;
        }
        const QSizeF mm = picture->sizeMm;
        if (picture->image.isNull() || qint64(picture->image.width()) * picture->image.height() > PixelBudget
            || mm.width() < MinTemplateSideMm || mm.height() < MinTemplateSideMm || mm.width() > MaxTemplateSideMm
            || mm.height() > MaxTemplateSideMm)
            std::abort();
    }
    return 0;
}
