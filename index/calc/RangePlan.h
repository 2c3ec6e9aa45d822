// How a span of bars is evaluated column at a time: for one series that a drawing
// statement names, the steps of its expression tree, each computing its values for a
// run of bars into an array that its parent then reads.
//
// The bar-by-bar evaluator stays the definition of every value, and the plan only
// takes over what it can follow exactly:
// - Pure steps (numbers, parameters, data fields, operators and stateless functions
//   of pure steps) have the same value whenever and however often they are computed,
//   so they are computed at every bar of the run, and also at the bars before it
//   that a window reads back.
// - Stateful steps (a window or recursive function, a series whose tree has one) are
//   computed only at the bars where the bar-by-bar evaluator would reach them, in bar
//   order: the bars where their parent reads them, which an invalid left operand or
//   an evaluation error takes away, as it does bar by bar.
// - A function without a column form is handed to the bar-by-bar function at each of
//   those bars, its arguments and all. So is every bar where a kernel's running state
//   does not simply move on.
// A tree the plan cannot follow (RAND, whose draws follow the order of evaluation; a
// stateful series named twice, or read back; a malformed tree) has no plan, and the
// bar-by-bar loop computes its series.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "index/functions/RangeKernels.h"

class CCalculateInfo;
struct ExprNode;
struct Statement;

struct RangeStep {
    enum Kind : uint8_t {
        CONSTANT,   // dConstant at every bar
        FIELD,      // a per-bar data field (nFieldId)
        OPERATOR,   // a binary operator (nOperator) of arrArgs[0] and arrArgs[1]
        KERNEL,     // a call with a column form, X in arrArgs[0]
        DELEGATED,  // a call computed bar by bar (nOperand)
        SERIES,     // an output or variable: its tree (arrArgs[0]) where it is not stored
        SETTLED,    // a series earlier statements computed: read from the store
    };
    Kind nKind = CONSTANT;
    bool bPure = true;
    // Bars before the run that this column must cover, because a window reads them.
    int nLookback = 0;
    double dConstant = 0.0;
    int nFieldId = 0;
    uint32_t nOperator = 0;
    int64_t nOperand = 0;  // the node operand (KERNEL, DELEGATED), the reference (SETTLED)
    const ExprNode* pNode = nullptr;
    RangeKernel kernel = RangeKernel::None;
    int nPeriod = 0;
    double dShare = 0.0;
    int64_t nOwnReference = -1;  // KERNEL: hidden result series (ordinary reference list)
    int nStateSlot = -1;         // KERNEL: state slot of the window kernels
    int nSeriesKind = 0;         // SERIES, SETTLED
    int nSeriesNumber = 0;
    int arrArgs[2] = {-1, -1};
};

class CRangePlan {
public:
    // Plans the series (nKind, nNumber) whose first assignment is pAssignment, given
    // the series already computed over the whole span by earlier drawing statements
    // (vecSettled: kind and number pairs), which may be read any number of times.
    // False when the tree has to be computed bar by bar.
    bool Build(const CCalculateInfo& info, int nKind, int nNumber, const Statement* pAssignment,
               const std::vector<std::pair<int, int>>& vecSettled);

    const std::vector<RangeStep>& Steps() const { return m_vecSteps; }
    int Root() const { return m_nRoot; }
    // The longest look back of any step: how far before a run columns reach.
    int MaxLookback() const { return m_nMaxLookback; }

private:
    // What an ordinary reference names: a data field (nNumber indexes the field ids),
    // an output or variable series, or nothing the plan can follow.
    struct Target {
        enum What : uint8_t { NONE, FIELD, SERIES } nWhat = NONE;
        int nKind = 0;
        int64_t nNumber = 0;
    };
    Target ResolveReference(int64_t value) const;
    int AddOperand(uint32_t nType, int64_t value, int nLookback, int nDepth);
    // nReference: the ordinary reference naming the series, -1 for the planned one.
    int AddSeries(int nKind, int nNumber, int64_t nReference, int nLookback, int nDepth);
    // Whether a tree has no state anywhere (following the series it names).
    bool IsPureTree(uint32_t nType, int64_t value, int nDepth) const;
    int AddCall(const ExprNode* pNode, int64_t nOperand, int nLookback, int nDepth);
    int AddDelegated(const ExprNode* pNode, int64_t nOperand, int nLookback, int nDepth);
    // Walks a tree the plan does not evaluate itself, for what it must still know:
    // RAND, and the stateful series it names. False for anything refused.
    bool ScanDelegated(uint32_t nType, int64_t value, int nDepth, bool& bPure);
    bool ReadConstant(uint32_t nType, int64_t value, double& dValue) const;
    const Statement* FindAssignment(int nKind, int nNumber) const;
    bool IsSettled(int nKind, int nNumber) const;
    bool NoteStatefulSeries(int nKind, int nNumber);
    int Push(const RangeStep& step);

    const CCalculateInfo* m_pInfo = nullptr;
    const std::vector<std::pair<int, int>>* m_pSettled = nullptr;
    std::vector<std::pair<int, int>> m_vecStatefulSeries;  // named once each
    std::vector<std::pair<int, int>> m_vecFieldSteps;      // field id, its step
    std::vector<RangeStep> m_vecSteps;
    int m_nRoot = -1;
    int m_nMaxLookback = 0;
    bool m_bRefused = false;
};
