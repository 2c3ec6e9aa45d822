// Drawing tools: every kind (and a few values that are no kind) driven by mouse
// clicks, moves and drags, points set directly, styles, texts and settings, with
// the records asked for in between, through a converter that sometimes refuses
// or maps everything onto one pixel.
#include <string>
#include <vector>

#include "IQXGraphShapeBase.h"
#include "QXGraphInterface.h"
#include "QXGraphSettings.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzCoordinate.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzTargets.h"
#include "fuzz/RecordWalk.h"

namespace {

constexpr int kKinds[] = {1,  2,  3,  4,  5,  6,   7,   8,   9,    20,   21, 22, 23, 24,
                          25, 40, 41, 42, 43, 44,  45,  46,  47,   60,   61, 62, 63, 64,
                          65, 66, 80, 81, 82, 100, 101, 102, 1000, 1010, 0,  10, -5, 9999};
constexpr int kKindCount = static_cast<int>(sizeof(kKinds) / sizeof(kKinds[0]));
constexpr int kMaxOperations = 64;

// Mostly pixels on a screen, sometimes far off it or not a number at all.
float ReadPixel(CFuzzInput& input) {
    switch (input.ReadInt(0, 15)) {
        case 0:
            return input.ReadRawFloat();
        case 1:
            return -static_cast<float>(input.ReadInt(0, 100000));
        default:
            return static_cast<float>(input.ReadInt(0, 1000));
    }
}

QXDrawInfo::QXColor ReadColor(CFuzzInput& input) {
    QXDrawInfo::QXColor color;
    color.colorId = input.ReadInt(-1, 20);
    color.value = input.ReadI32();
    color.byValue = input.ReadBool();
    return color;
}

std::vector<QXGraphPoint> ReadPoints(CFuzzInput& input) {
    std::vector<QXGraphPoint> vecPoints(static_cast<size_t>(input.ReadInt(0, 12)));
    for (QXGraphPoint& point : vecPoints) {
        const bool bRaw = input.ReadInt(0, 7) == 0;
        point.price = bRaw ? input.ReadRawDouble() : input.ReadInt(-100, 1000) * 0.25;
        point.position = bRaw ? input.ReadRawFloat() : static_cast<float>(input.ReadInt(-5, 500));
        point.time = input.ReadI32();
    }
    return vecPoints;
}

std::vector<stSingleLineDrawParams> ReadLevels(CFuzzInput& input) {
    std::vector<stSingleLineDrawParams> vecLevels(static_cast<size_t>(input.ReadInt(0, 12)));
    for (stSingleLineDrawParams& level : vecLevels) {
        level.nLevel = input.ReadInt(-2, 20);
        level.lineColor = ReadColor(input);
        level.nAttribute = input.ReadInt(-1, 5);
        level.bAttribute = input.ReadBool();
        if (input.ReadBool()) {
            level.value.fRatio =
                input.ReadBool() ? input.ReadRawFloat() : input.ReadInt(-10, 500) * 0.01f;
        } else {
            level.value.nBars = input.ReadI32() % 2000;
        }
    }
    return vecLevels;
}

void ApplySettings(IQXGraphShapeBase& shape, CFuzzInput& input) {
    const enLineExtendDirection eDirection =
        static_cast<enLineExtendDirection>(input.ReadInt(-1, 7));
    if (shape.GetGraphType() == QX_GRAPH_COMPLEX_FIB_TIME_ZONE) {
        stFibTimeZoneSettings settings;
        settings.SetLineParams(ReadLevels(input));
        settings.SetExtendDirection(eDirection);
        shape.SetSettings(&settings);
        stFibTimeZoneSettings copy;
        QX_FUZZ_CHECK(shape.GetSettings(&copy));
        QX_FUZZ_CHECK(copy.GetLineParams().size() == settings.GetLineParams().size());
    } else if (shape.GetGraphType() == QX_GRAPH_COMPLEX_GOLDEN_SECTION) {
        stGoldenSectionSettings settings;
        settings.SetLineParams(ReadLevels(input));
        settings.SetExtendDirection(eDirection);
        settings.SetDisplayRatio(input.ReadBool());
        settings.SetDisplayPrice(input.ReadBool());
        shape.SetSettings(&settings);
        stGoldenSectionSettings copy;
        QX_FUZZ_CHECK(shape.GetSettings(&copy));
        QX_FUZZ_CHECK(copy.GetDispLayRatio() == settings.GetDispLayRatio());
    } else {
        // Shapes without settings ignore any record.
        QX_FUZZ_CHECK(!shape.SetSettings(nullptr));
    }
}

void RunOperation(IQXGraphShapeBase& shape, CFuzzCoordinate& coordinate, CFuzzInput& input) {
    switch (input.ReadInt(0, 19)) {
        case 0:
        case 1:
        case 2:
            shape.OnMouseDown(ReadPixel(input), ReadPixel(input));
            break;
        case 3:
        case 4:
            shape.OnMouseMove(ReadPixel(input), ReadPixel(input));
            break;
        case 5:
        case 6: {
            const float fromX = ReadPixel(input);
            const float fromY = ReadPixel(input);
            shape.OnMouseDrag(fromX, fromY, ReadPixel(input), ReadPixel(input));
            break;
        }
        case 7:
            shape.SetPoints(ReadPoints(input));
            break;
        case 8:
            shape.SetLineWidth(input.ReadInt(-2, 12));
            shape.SetLineStyle(input.ReadInt(-1, 7));
            shape.SetLineColor(ReadColor(input));
            shape.SetFillColor(ReadColor(input));
            shape.SetTextColor(ReadColor(input));
            break;
        case 9:
            shape.SetLabelText(input.ReadText(input.ReadBool() ? 8 : 600));
            shape.SetLabelFontSize(input.ReadInt(-2, 80));
            shape.SetLabelMode(input.ReadInt(-1, 5));
            shape.SetLabelTextColor(ReadColor(input));
            shape.SetLabelWidth(input.ReadInt(-10, 500));
            shape.SetLabelFontName(input.ReadText(16));
            shape.SetLabelSecondColor(ReadColor(input));
            break;
        case 10:
            shape.SetAngleSnap(input.ReadBool());
            shape.SetHostFlagA(input.ReadBool());
            shape.SetHostFlagB(input.ReadBool());
            break;
        case 11:
            ApplySettings(shape, input);
            break;
        case 12: {
            int nIndex = 7;
            const bool bHit = shape.HitTestPoint(ReadPixel(input), ReadPixel(input), &nIndex);
            std::vector<QXGraphPoint> vecPoints;
            shape.GetPoints(vecPoints);
            QX_FUZZ_CHECK(bHit ? (nIndex >= 0 && static_cast<size_t>(nIndex) < vecPoints.size())
                               : nIndex == -1);
            break;
        }
        case 13:
            // The converter comes and goes: shapes must not call a missing one.
            shape.SetCoordinate(input.ReadBool() ? &coordinate : nullptr);
            break;
        default: {
            WalkRecords(shape.GetGraphDrawInfo(), false);
            std::vector<QXDrawInfo::QXPoint> vecDrawPoints;
            shape.GetDrawPoints(vecDrawPoints);
            (void)shape.GetLabelText().size();
            (void)shape.GetLabelFontName().size();
            (void)shape.GetDrawLineStyle();
            (void)shape.GetSelectedPoint();
            break;
        }
    }
}

}  // namespace

int FuzzShapes(const uint8_t* pData, size_t nSize) {
    CFuzzInput input(pData, nSize);
    const QX_GRAPH_TYPE eKind =
        static_cast<QX_GRAPH_TYPE>(kKinds[input.ReadInt(0, kKindCount - 1)]);
    std::vector<uint8_t> vecConverterBytes;
    for (int i = 0; i < 40; ++i) vecConverterBytes.push_back(input.ReadByte());
    CFuzzInput converterInput(vecConverterBytes.data(), vecConverterBytes.size());
    CFuzzCoordinate coordinate(converterInput);

    IQXGraphShapeBase* pShape = QXGraphInterface::CreateGraphShape(eKind);
    if (pShape == nullptr) return 0;
    if (input.ReadInt(0, 15) != 0) pShape->SetCoordinate(&coordinate);
    for (int nStep = 0; nStep < kMaxOperations && !input.IsEmpty(); ++nStep) {
        RunOperation(*pShape, coordinate, input);
    }
    WalkRecords(pShape->GetGraphDrawInfo(), false);
    QXGraphInterface::ReleaseGraphShape(pShape);
    return 0;
}
