// The client calls the library's interfaces, and the library calls the client's,
// through fixed virtual-table slots. A reordered, inserted or removed operation
// compiles fine on both sides and then calls the wrong function, so the slot of
// every operation is pinned here, independently of the binary-interface baseline.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "IIndexCalculator.h"
#include "IIndexDataSource.h"
#include "IIndexParser.h"
#include "IQXGraphCoordinate.h"
#include "IQXGraphShapeBase.h"

namespace {

// On x86 the Itanium C++ ABI encodes a pointer to a virtual member function as
// 1 + the byte offset of its slot; other encodings are not read here.
#if defined(__x86_64__) || defined(__i386__)
constexpr bool kSlotsReadable = true;
#else
constexpr bool kSlotsReadable = false;
#endif

template <typename Member>
long SlotOf(Member pMember) {
    struct {
        std::ptrdiff_t nPointer;
        std::ptrdiff_t nAdjust;
    } raw{};
    static_assert(sizeof(Member) == sizeof(raw), "Itanium member pointer layout");
    std::memcpy(&raw, &pMember, sizeof(raw));
    if ((raw.nPointer & 1) == 0) return -1;  // not virtual
    return static_cast<long>((raw.nPointer - 1) / static_cast<std::ptrdiff_t>(sizeof(void*)));
}

struct SlotRow {
    const char* szName;
    long nSlot;
};

#define QX_SLOT(Interface, Operation)             \
    SlotRow {                                     \
#Operation, SlotOf(&Interface::Operation) \
    }

// Rows are in table order: row i must sit in slot i. `nextSlot` is the slot that an
// operation added by a derived class gets, i.e. the number of the interface's slots.
void ExpectTableOrder(const std::vector<SlotRow>& rows, long nNextSlot, size_t nExpected) {
    if (!kSlotsReadable) GTEST_SKIP() << "member pointer encoding not read on this platform";
    EXPECT_EQ(rows.size(), nExpected);
    EXPECT_EQ(nNextSlot, static_cast<long>(nExpected)) << "operations added or removed";
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].nSlot, static_cast<long>(i)) << rows[i].szName;
    }
}

struct ParserProbe : IIndexParser {
    virtual void Next() {}
};
struct CalculatorProbe : IIndexCalculator {
    virtual void Next() {}
};
struct DataSourceProbe : IIndexDataSource {
    virtual void Next() {}
};
struct ShapeProbe : IQXGraphShapeBase {
    virtual void Next() {}
};
struct CoordinateProbe : IQXGraphCoordinate {
    virtual void Next() {}
};

TEST(InterfaceSlots, Parser) {
    ExpectTableOrder({QX_SLOT(IIndexParser, Parse),
                      QX_SLOT(IIndexParser, GetError),
                      QX_SLOT(IIndexParser, GetCalculateInfo),
                      QX_SLOT(IIndexParser, GetLongHistory),
                      QX_SLOT(IIndexParser, GetFutureData),
                      QX_SLOT(IIndexParser, GetVolatile),
                      QX_SLOT(IIndexParser, UsesField),
                      QX_SLOT(IIndexParser, GetDrawStatementCount),
                      QX_SLOT(IIndexParser, GetOutputColor),
                      QX_SLOT(IIndexParser, GetOutputLineThick),
                      QX_SLOT(IIndexParser, GetOutputDrawType),
                      QX_SLOT(IIndexParser, GetOutputName),
                      QX_SLOT(IIndexParser, IsOutputHidden),
                      QX_SLOT(IIndexParser, GetParamCount),
                      QX_SLOT(IIndexParser, GetParamValue),
                      QX_SLOT(IIndexParser, GetParamName),
                      QX_SLOT(IIndexParser, SetOutputColor),
                      QX_SLOT(IIndexParser, SetOutputLineThick),
                      QX_SLOT(IIndexParser, SetParamValue),
                      QX_SLOT(IIndexParser, GetOutputParamValues),
                      QX_SLOT(IIndexParser, GetOutputParamIndexes),
                      QX_SLOT(IIndexParser, GetParamOutputs),
                      QX_SLOT(IIndexParser, IsDrawFunctionOutput)},
                     SlotOf(&ParserProbe::Next), 23);
}

TEST(InterfaceSlots, Calculator) {
    ExpectTableOrder(
        {QX_SLOT(IIndexCalculator, SetIndexParser), QX_SLOT(IIndexCalculator, SetDataSource),
         QX_SLOT(IIndexCalculator, Calculate), QX_SLOT(IIndexCalculator, StopCalculate),
         QX_SLOT(IIndexCalculator, UpdateDisplayData),
         QX_SLOT(IIndexCalculator, ReleaseDisplayData),
         QX_SLOT(IIndexCalculator, GetCalculatedRange), QX_SLOT(IIndexCalculator, GetValue),
         QX_SLOT(IIndexCalculator, GetValues), QX_SLOT(IIndexCalculator, GetValueRange),
         QX_SLOT(IIndexCalculator, GetDrawArgValue), QX_SLOT(IIndexCalculator, GetDrawInfo),
         QX_SLOT(IIndexCalculator, ReleaseDrawInfo)},
        SlotOf(&CalculatorProbe::Next), 13);
}

TEST(InterfaceSlots, DataSource) {
    ExpectTableOrder(
        {QX_SLOT(IIndexDataSource, GetBarCount), QX_SLOT(IIndexDataSource, GetAvailableBarCount),
         QX_SLOT(IIndexDataSource, GetFieldValue), QX_SLOT(IIndexDataSource, GetConstantFieldValue),
         QX_SLOT(IIndexDataSource, GetWindowBoundary), QX_SLOT(IIndexDataSource, GetBarPeriod),
         QX_SLOT(IIndexDataSource, GetBarTime), QX_SLOT(IIndexDataSource, FindBarByTime),
         QX_SLOT(IIndexDataSource, GetDateTime)},
        SlotOf(&DataSourceProbe::Next), 9);
}

TEST(InterfaceSlots, Shape) {
    ExpectTableOrder({QX_SLOT(IQXGraphShapeBase, SetLineWidth),
                      QX_SLOT(IQXGraphShapeBase, SetLineStyle),
                      QX_SLOT(IQXGraphShapeBase, SetLineColor),
                      QX_SLOT(IQXGraphShapeBase, SetFillColor),
                      QX_SLOT(IQXGraphShapeBase, SetTextColor),
                      QX_SLOT(IQXGraphShapeBase, SetLabelText),
                      QX_SLOT(IQXGraphShapeBase, SetLabelFontSize),
                      QX_SLOT(IQXGraphShapeBase, SetLabelMode),
                      QX_SLOT(IQXGraphShapeBase, SetLabelTextColor),
                      QX_SLOT(IQXGraphShapeBase, SetLabelWidth),
                      QX_SLOT(IQXGraphShapeBase, SetLabelFontName),
                      QX_SLOT(IQXGraphShapeBase, SetLabelSecondColor),
                      QX_SLOT(IQXGraphShapeBase, SetHostFlagA),
                      QX_SLOT(IQXGraphShapeBase, SetAngleSnap),
                      QX_SLOT(IQXGraphShapeBase, SetHostFlagB),
                      QX_SLOT(IQXGraphShapeBase, SetPoints),
                      QX_SLOT(IQXGraphShapeBase, SetCoordinate),
                      QX_SLOT(IQXGraphShapeBase, SetSettings),
                      QX_SLOT(IQXGraphShapeBase, GetSettings),
                      QX_SLOT(IQXGraphShapeBase, GetGraphType),
                      QX_SLOT(IQXGraphShapeBase, GetLineWidth),
                      QX_SLOT(IQXGraphShapeBase, GetLineStyle),
                      QX_SLOT(IQXGraphShapeBase, GetDrawLineStyle),
                      QX_SLOT(IQXGraphShapeBase, GetLineColor),
                      QX_SLOT(IQXGraphShapeBase, GetFillColor),
                      QX_SLOT(IQXGraphShapeBase, GetTextColor),
                      QX_SLOT(IQXGraphShapeBase, GetLabelText),
                      QX_SLOT(IQXGraphShapeBase, GetLabelFontSize),
                      QX_SLOT(IQXGraphShapeBase, GetLabelMode),
                      QX_SLOT(IQXGraphShapeBase, GetLabelTextColor),
                      QX_SLOT(IQXGraphShapeBase, GetLabelWidth),
                      QX_SLOT(IQXGraphShapeBase, GetLabelFontName),
                      QX_SLOT(IQXGraphShapeBase, GetLabelSecondColor),
                      QX_SLOT(IQXGraphShapeBase, GetHostFlagA),
                      QX_SLOT(IQXGraphShapeBase, GetAngleSnap),
                      QX_SLOT(IQXGraphShapeBase, GetHostFlagB),
                      QX_SLOT(IQXGraphShapeBase, GetPoints),
                      QX_SLOT(IQXGraphShapeBase, GetDrawPoints),
                      QX_SLOT(IQXGraphShapeBase, GetSelectedPoint),
                      QX_SLOT(IQXGraphShapeBase, HitTestPoint),
                      QX_SLOT(IQXGraphShapeBase, GetGraphDrawInfo),
                      QX_SLOT(IQXGraphShapeBase, OnMouseDown),
                      QX_SLOT(IQXGraphShapeBase, OnMouseMove),
                      QX_SLOT(IQXGraphShapeBase, OnMouseDrag)},
                     SlotOf(&ShapeProbe::Next), 44);
}

TEST(InterfaceSlots, Coordinate) {
    ExpectTableOrder(
        {QX_SLOT(IQXGraphCoordinate, PixelToPrice), QX_SLOT(IQXGraphCoordinate, PriceToPixel),
         QX_SLOT(IQXGraphCoordinate, PixelToPosition), QX_SLOT(IQXGraphCoordinate, PositionToPixel),
         QX_SLOT(IQXGraphCoordinate, PositionToTime),
         QX_SLOT(IQXGraphCoordinate, ReservedOperation),
         QX_SLOT(IQXGraphCoordinate, GetChartBottom), QX_SLOT(IQXGraphCoordinate, GetPriceUnit),
         QX_SLOT(IQXGraphCoordinate, GetBarWidth), QX_SLOT(IQXGraphCoordinate, SnapPoint)},
        SlotOf(&CoordinateProbe::Next), 10);
}

}  // namespace
