#pragma once

#include "core/layout/Module1.h"

namespace formulix::bench {

// Full tables, as the canvas and printing benchmarks use them: 200 general fields over the upper
// part of the page and 50 database fields below them, in a mix of font sizes and ranges.
inline void fillLayout(Module1 &model)
{
    for (int i = 1; i <= Module1::MaxCampuriGen; ++i) {
        Camp &camp = *model.CampuriGen.at(i);
        camp.Text = QStringLiteral("Camp general %1 Școala").arg(i);
        camp.X = qint16(5 + (i % 4) * 50);
        camp.Y = qint16(5 + (i / 4) * 3);
        camp.MarimeFont = quint8(8 + i % 6);
    }
    for (int i = 1; i <= Module1::MaxCampuriBD; ++i) {
        Camp &camp = *model.CampuriBD.at(i);
        camp.NumeCamp = QStringLiteral("ColoanaBD%1").arg(i);
        camp.Text = QString::number(1800512123456LL + i);
        camp.X = qint16(20 + (i % 5) * 35);
        camp.Y = qint16(165 + (i / 5) * 4);
        camp.MarimeFont = 10;
        camp.RangMin = quint8(i % 2 ? 0 : 3);
        camp.RangMax = camp.RangMin;
    }
    model.NrCampuriGen = Module1::MaxCampuriGen;
    model.NrCampuriBD = Module1::MaxCampuriBD;
}

// Every field styled, in turn: right and centred about X, right in a box, shrunk into a box,
// wrapped in a box, in bold, italic, capitals and another family.
inline void styleLayout(Module1 &model)
{
    auto style = [](Camp &camp, int i) {
        FieldStyle &style = camp.style;
        style.bold = i % 3 == 0;
        style.italic = i % 4 == 1;
        style.family = i % 2 ? QStringLiteral("DejaVu Serif") : QString();
        style.textCase = i % 5 == 2 ? TextCase::Upper : TextCase::AsWritten;
        switch (i % 5) {
        case 0: style.align = TextAlign::Right; break;
        case 1: style.align = TextAlign::Centre; break;
        case 2: style.align = TextAlign::Right; style.boxWidthMm = 45; break;
        case 3: style.boxWidthMm = 25; style.fit = TextFit::Shrink; break;
        case 4: style.boxWidthMm = 30; style.fit = TextFit::Wrap; style.lineHeightMm = 3.5; break;
        }
    };
    for (int i = 1; i <= model.usedGen(); ++i)
        style(*model.CampuriGen.at(i), i);
    for (int i = 1; i <= model.usedBD(); ++i)
        style(*model.CampuriBD.at(i), i);
}

} // namespace formulix::bench
