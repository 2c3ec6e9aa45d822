#include "index/calc/RangePlan.h"

#include <algorithm>
#include <cstring>

#include "index/compiler/CompiledFormula.h"
#include "index/compiler/FunctionTable.h"
#include "index/functions/BinaryOperators.h"
#include "index/functions/SeriesStore.h"
#include "index/functions/ValueConventions.h"

namespace {

// Deepest nesting the planner follows (tree levels and series named inside series).
// The compiler keeps one tree within 256 levels; a hand-built form nested deeper,
// or one whose series name each other, is simply left to the bar-by-bar path.
constexpr int MAX_PLAN_DEPTH = 512;
// Steps of one plan. A variable named twice is planned twice, so a chain of
// variables each naming the one before twice would double at every link.
constexpr int MAX_PLAN_STEPS = 4096;
// Longest look back a column may need. A window longer than this reads back through
// the bar-by-bar function instead, so that columns stay a fixed cost per span.
constexpr int MAX_LOOKBACK = 8192;

constexpr int64_t FUNCTION_RAND = 23;

// Functions without state whose value at a bar depends only on their arguments
// (and, for REF, REFV and CROSS, on those arguments at earlier bars): with pure
// arguments they may be computed at any bar, any number of times.
bool IsStatelessFunction(int64_t nId) {
    switch (nId) {
        case 40:   // CROSS
        case 48:   // NOT
        case 70:   // IF
        case 71:   // IFN
        case 126:  // REF
        case 127:  // REFV
        case 499:  // RGB
            return true;
        default:
            return nId >= 0 && nId <= 22;  // MAX .. SIGN: the arithmetic family but RAND
    }
}

// Element counts of the calls a kernel takes: function, state, X, period[, weight].
int KernelElementCount(RangeKernel kernel) {
    return kernel == RangeKernel::Share ? 5 : 4;
}

bool HasArrays(const ExprNode& node) {
    return node.nArgs == 0 || (node.pValues != nullptr && node.pTypes != nullptr);
}

}  // namespace

bool CRangePlan::Build(const CCalculateInfo& info, int nKind, int nNumber,
                       const Statement* pAssignment,
                       const std::vector<std::pair<int, int>>& vecSettled) {
    m_pInfo = &info;
    m_pSettled = &vecSettled;
    m_vecStatefulSeries.clear();
    m_vecFieldSteps.clear();
    m_vecSteps.clear();
    m_nRoot = -1;
    m_nMaxLookback = 0;
    m_bRefused = false;
    if (pAssignment == nullptr || FindAssignment(nKind, nNumber) != pAssignment) return false;
    m_nRoot = AddSeries(nKind, nNumber, -1, 0, 0);
    return m_nRoot >= 0 && !m_bRefused;
}

int CRangePlan::Push(const RangeStep& step) {
    if (static_cast<int>(m_vecSteps.size()) >= MAX_PLAN_STEPS) {
        m_bRefused = true;
        return -1;
    }
    m_nMaxLookback = std::max(m_nMaxLookback, step.nLookback);
    m_vecSteps.push_back(step);
    return static_cast<int>(m_vecSteps.size()) - 1;
}

bool CRangePlan::ReadConstant(uint32_t nType, int64_t value, double& dValue) const {
    switch (nType) {
        case OperandType::Empty:
            dValue = 0.0;
            return true;
        case OperandType::Number: {
            // As the evaluator reads a number operand: the float in the low word.
            const uint32_t nBits = static_cast<uint32_t>(value & 0xFFFFFFFF);
            float fValue = 0.0f;
            std::memcpy(&fValue, &nBits, sizeof fValue);
            dValue = fValue;
            return true;
        }
        case OperandType::String:
            dValue = ReadNumberFloat(value);
            return true;
        case OperandType::Parameter: {
            const std::vector<float>& vecValues = m_pInfo->m_vecParamValues;
            if (value < 0 || static_cast<uint64_t>(value) >= vecValues.size()) return false;
            dValue = vecValues[static_cast<size_t>(value)];
            return true;
        }
        default:
            return false;
    }
}

const Statement* CRangePlan::FindAssignment(int nKind, int nNumber) const {
    for (const Statement* pStatement : m_pInfo->m_vecStatements) {
        if (pStatement == nullptr || pStatement->typeA != OperandType::Reference) continue;
        const int64_t nTarget = pStatement->valueA;
        if (nTarget < 0 || static_cast<uint64_t>(nTarget) >= m_pInfo->m_vecRefNodes.size())
            continue;
        const ExprNode* pRef = m_pInfo->m_vecRefNodes[static_cast<size_t>(nTarget)];
        if (pRef == nullptr || pRef->nArgs < 1 || !HasArrays(*pRef)) continue;
        if (pRef->pTypes[0] == static_cast<uint32_t>(nKind) && pRef->pValues[0] == nNumber) {
            return pStatement;
        }
    }
    return nullptr;
}

bool CRangePlan::IsSettled(int nKind, int nNumber) const {
    return std::find(m_pSettled->begin(), m_pSettled->end(), std::make_pair(nKind, nNumber)) !=
           m_pSettled->end();
}

bool CRangePlan::NoteStatefulSeries(int nKind, int nNumber) {
    if (IsSettled(nKind, nNumber)) return true;
    const auto key = std::make_pair(nKind, nNumber);
    if (std::find(m_vecStatefulSeries.begin(), m_vecStatefulSeries.end(), key) !=
        m_vecStatefulSeries.end()) {
        // Named twice, it would be computed at the bars of one reading before those
        // of the other, where bar by bar they interleave.
        m_bRefused = true;
        return false;
    }
    m_vecStatefulSeries.push_back(key);
    return true;
}

CRangePlan::Target CRangePlan::ResolveReference(int64_t value) const {
    Target target;
    const std::vector<ExprNode*>& vecRefs = m_pInfo->m_vecRefNodes;
    if (value < 0 || static_cast<uint64_t>(value) >= vecRefs.size()) return target;
    const ExprNode* pRef = vecRefs[static_cast<size_t>(value)];
    if (pRef == nullptr || pRef->nArgs < 1 || !HasArrays(*pRef)) return target;
    if (pRef->pTypes[0] == RefListKind::Field) {
        target.nWhat = Target::FIELD;
        target.nNumber = pRef->pValues[0];
        return target;
    }
    if ((pRef->pTypes[0] == RefListKind::Output || pRef->pTypes[0] == RefListKind::Variable) &&
        pRef->pValues[0] >= 0 && pRef->pValues[0] <= MAX_SERIES_NUMBER) {
        target.nWhat = Target::SERIES;
        target.nKind = static_cast<int>(pRef->pTypes[0]);
        target.nNumber = pRef->pValues[0];
    }
    return target;
}

int CRangePlan::AddOperand(uint32_t nType, int64_t value, int nLookback, int nDepth) {
    if (m_bRefused || nDepth > MAX_PLAN_DEPTH) {
        m_bRefused = true;
        return -1;
    }
    RangeStep step;
    step.nLookback = nLookback;
    if (ReadConstant(nType, value, step.dConstant)) return Push(step);
    if (nType == OperandType::Reference) {
        const Target target = ResolveReference(value);
        if (target.nWhat == Target::SERIES) {
            return AddSeries(target.nKind, static_cast<int>(target.nNumber), value, nLookback,
                             nDepth + 1);
        }
        const std::vector<int>& vecIds = m_pInfo->m_vecFieldIds;
        if (target.nWhat != Target::FIELD || target.nNumber < 0 ||
            static_cast<uint64_t>(target.nNumber) >= vecIds.size()) {
            return m_bRefused = true, -1;
        }
        const int nId = vecIds[static_cast<size_t>(target.nNumber)];
        if (nId < 1 || nId > 500) {
            // Bar-independent fields come through the field cache, read as the
            // evaluator reads them.
            step.nKind = RangeStep::DELEGATED;
            step.nOperand = value;
            step.pNode = nullptr;
            return Push(step);
        }
        // A field named again (CLOSE in both averages of MACD) is one column, read
        // once per run over the longest look back any of its readers needs.
        for (const std::pair<int, int>& known : m_vecFieldSteps) {
            if (known.first != nId) continue;
            RangeStep& field = m_vecSteps[static_cast<size_t>(known.second)];
            field.nLookback = std::max(field.nLookback, nLookback);
            m_nMaxLookback = std::max(m_nMaxLookback, field.nLookback);
            return known.second;
        }
        step.nKind = RangeStep::FIELD;
        step.nFieldId = nId;
        const int nStep = Push(step);
        if (nStep >= 0) m_vecFieldSteps.emplace_back(nId, nStep);
        return nStep;
    }
    if (nType != OperandType::Node) return m_bRefused = true, -1;
    const ExprNode* pNode = ReadNodePointer(value);
    if (pNode == nullptr || !HasArrays(*pNode)) return m_bRefused = true, -1;
    if (pNode->nKind == NodeKind::Call || pNode->nKind == NodeKind::StatefulCall) {
        return AddCall(pNode, value, nLookback, nDepth + 1);
    }
    if (FindBinaryOperator(pNode->nKind) == nullptr || pNode->nArgs != 2) {
        return m_bRefused = true, -1;
    }
    const int nLeft = AddOperand(pNode->pTypes[0], pNode->pValues[0], nLookback, nDepth + 1);
    const int nRight = AddOperand(pNode->pTypes[1], pNode->pValues[1], nLookback, nDepth + 1);
    if (nLeft < 0 || nRight < 0) return -1;
    step.nKind = RangeStep::OPERATOR;
    step.nOperator = pNode->nKind;
    step.bPure = m_vecSteps[nLeft].bPure && m_vecSteps[nRight].bPure;
    step.arrArgs[0] = nLeft;
    step.arrArgs[1] = nRight;
    return Push(step);
}

int CRangePlan::AddSeries(int nKind, int nNumber, int64_t nReference, int nLookback, int nDepth) {
    const std::set<int64_t>& setVolatile = nKind == SERIES_KIND_OUTPUT
                                               ? m_pInfo->m_setVolatileOutputs
                                               : m_pInfo->m_setVolatileVariables;
    const Statement* pAssignment = FindAssignment(nKind, nNumber);
    if (setVolatile.count(nNumber) != 0 || pAssignment == nullptr) return m_bRefused = true, -1;
    if (nReference >= 0 && IsSettled(nKind, nNumber)) {
        RangeStep step;
        step.nKind = RangeStep::SETTLED;
        step.nLookback = nLookback;
        step.bPure = IsPureTree(pAssignment->typeB, pAssignment->valueB, nDepth + 1);
        step.nSeriesKind = nKind;
        step.nSeriesNumber = nNumber;
        step.nOperand = nReference;
        return Push(step);
    }
    const int nTree = AddOperand(pAssignment->typeB, pAssignment->valueB, nLookback, nDepth + 1);
    if (nTree < 0) return -1;
    RangeStep step;
    step.nKind = RangeStep::SERIES;
    step.nLookback = nLookback;
    step.bPure = m_vecSteps[nTree].bPure;
    step.nSeriesKind = nKind;
    step.nSeriesNumber = nNumber;
    step.arrArgs[0] = nTree;
    if (!step.bPure && !NoteStatefulSeries(nKind, nNumber)) return -1;
    return Push(step);
}

int CRangePlan::AddCall(const ExprNode* pNode, int64_t nOperand, int nLookback, int nDepth) {
    if (pNode->nArgs < 1 || pNode->pTypes[0] != OperandType::FunctionId) {
        return AddDelegated(pNode, nOperand, nLookback, nDepth);
    }
    const int64_t nId = pNode->pValues[0];
    const RangeKernel kernel = FindRangeKernel(nId);
    double dPeriod = 0.0;
    double dWeight = 0.0;
    const bool bShape =
        kernel != RangeKernel::None &&
        static_cast<int>(pNode->nArgs) == KernelElementCount(kernel) &&
        ReadConstant(pNode->pTypes[3], pNode->pValues[3], dPeriod) && ToCount(dPeriod) >= 1 &&
        (kernel != RangeKernel::Share ||
         ReadConstant(pNode->pTypes[4], pNode->pValues[4], dWeight)) &&
        pNode->pTypes[1] ==
            (KernelUsesStateSlot(kernel) ? OperandType::StateSlots : OperandType::Reference);
    const int n = bShape ? ToCount(dPeriod) : 0;
    const bool bReadsBack = KernelReadsBack(kernel);
    if (!bShape || (bReadsBack && static_cast<int64_t>(nLookback) + n > MAX_LOOKBACK)) {
        return AddDelegated(pNode, nOperand, nLookback, nDepth);
    }
    RangeStep step;
    step.nKind = RangeStep::KERNEL;
    step.bPure = false;
    step.nOperand = nOperand;
    step.pNode = pNode;
    step.kernel = kernel;
    step.nPeriod = n;
    step.dShare = std::min(dWeight, static_cast<double>(n));
    if (KernelUsesStateSlot(kernel)) {
        step.nStateSlot = static_cast<int>(static_cast<uint32_t>(pNode->pValues[1]) & 0xFFFF);
        if (static_cast<uint32_t>(step.nStateSlot) == NO_SECOND_STATE_SLOT) {
            return AddDelegated(pNode, nOperand, nLookback, nDepth);
        }
    } else {
        step.nOwnReference = pNode->pValues[1];
        const Target own = ResolveReference(step.nOwnReference);
        if (own.nWhat != Target::SERIES) return AddDelegated(pNode, nOperand, nLookback, nDepth);
        step.nSeriesKind = own.nKind;
        step.nSeriesNumber = static_cast<int>(own.nNumber);
    }
    // X read back must be pure; if it is not, the whole call goes bar by bar.
    const size_t nStepsBefore = m_vecSteps.size();
    const size_t nStatefulBefore = m_vecStatefulSeries.size();
    const int nMaxLookbackBefore = m_nMaxLookback;
    const int nX =
        AddOperand(pNode->pTypes[2], pNode->pValues[2], bReadsBack ? nLookback + n : 0, nDepth + 1);
    if (nX < 0) return -1;
    if (bReadsBack && !m_vecSteps[nX].bPure) {
        m_vecSteps.resize(nStepsBefore);
        m_vecStatefulSeries.resize(nStatefulBefore);
        m_vecFieldSteps.erase(std::remove_if(m_vecFieldSteps.begin(), m_vecFieldSteps.end(),
                                             [nStepsBefore](const std::pair<int, int>& known) {
                                                 return static_cast<size_t>(known.second) >=
                                                        nStepsBefore;
                                             }),
                              m_vecFieldSteps.end());
        // A field kept from before may now reach further back than it did; reading
        // a few more bars of it costs nothing but the reads.
        m_nMaxLookback = nMaxLookbackBefore;
        for (const RangeStep& kept : m_vecSteps) {
            m_nMaxLookback = std::max(m_nMaxLookback, kept.nLookback);
        }
        return AddDelegated(pNode, nOperand, nLookback, nDepth);
    }
    step.arrArgs[0] = nX;
    return Push(step);
}

int CRangePlan::AddDelegated(const ExprNode* pNode, int64_t nOperand, int nLookback, int nDepth) {
    bool bPure = true;
    if (!ScanDelegated(OperandType::Node, nOperand, nDepth, bPure)) return -1;
    RangeStep step;
    step.nKind = RangeStep::DELEGATED;
    step.bPure = bPure;
    step.nLookback = nLookback;
    step.nOperand = nOperand;
    step.pNode = pNode;
    return Push(step);
}

bool CRangePlan::ScanDelegated(uint32_t nType, int64_t value, int nDepth, bool& bPure) {
    if (m_bRefused || nDepth > MAX_PLAN_DEPTH) return m_bRefused = true, false;
    if (nType == OperandType::Reference) {
        const Target target = ResolveReference(value);
        if (target.nWhat == Target::FIELD) return true;
        if (target.nWhat != Target::SERIES) return m_bRefused = true, false;
        const int nKind = target.nKind;
        const int64_t nNumber = target.nNumber;
        const std::set<int64_t>& setVolatile = nKind == SERIES_KIND_OUTPUT
                                                   ? m_pInfo->m_setVolatileOutputs
                                                   : m_pInfo->m_setVolatileVariables;
        const Statement* pAssignment = FindAssignment(nKind, static_cast<int>(nNumber));
        if (setVolatile.count(nNumber) != 0 || pAssignment == nullptr)
            return m_bRefused = true, false;
        if (IsSettled(nKind, static_cast<int>(nNumber))) {
            // Read from the store; what it names was counted where it was computed.
            if (!IsPureTree(pAssignment->typeB, pAssignment->valueB, nDepth + 1)) bPure = false;
            return true;
        }
        bool bSeriesPure = true;
        if (!ScanDelegated(pAssignment->typeB, pAssignment->valueB, nDepth + 1, bSeriesPure)) {
            return false;
        }
        if (!bSeriesPure) {
            bPure = false;
            if (!NoteStatefulSeries(nKind, static_cast<int>(nNumber))) return false;
        }
        return true;
    }
    if (nType != OperandType::Node) return true;
    const ExprNode* pNode = ReadNodePointer(value);
    if (pNode == nullptr || !HasArrays(*pNode)) return m_bRefused = true, false;
    if (pNode->nKind == NodeKind::Call || pNode->nKind == NodeKind::StatefulCall) {
        if (pNode->nArgs < 1 || pNode->pTypes[0] != OperandType::FunctionId) {
            bPure = false;
        } else if (pNode->pValues[0] == FUNCTION_RAND) {
            // Its draws follow the order in which calls are made.
            return m_bRefused = true, false;
        } else if (!IsStatelessFunction(pNode->pValues[0])) {
            bPure = false;
        }
    }
    // A recursive function's hidden result series, element 1, is its own state and
    // has no assignment to follow.
    const bool bCall = pNode->nKind == NodeKind::Call || pNode->nKind == NodeKind::StatefulCall;
    const bool bHidden =
        bCall && pNode->nArgs >= 2 && pNode->pTypes[0] == OperandType::FunctionId &&
        FunctionHasAutoVariable(pNode->pValues[0]) && pNode->pTypes[1] == OperandType::Reference;
    for (uint32_t i = bCall ? 1 : 0; i < pNode->nArgs; ++i) {
        if (i == 1 && bHidden) continue;
        if (!ScanDelegated(pNode->pTypes[i], pNode->pValues[i], nDepth + 1, bPure)) return false;
    }
    return true;
}

bool CRangePlan::IsPureTree(uint32_t nType, int64_t value, int nDepth) const {
    if (nDepth > MAX_PLAN_DEPTH) return false;
    if (nType == OperandType::Reference) {
        const Target target = ResolveReference(value);
        if (target.nWhat != Target::SERIES) return target.nWhat == Target::FIELD;
        const Statement* pAssignment =
            FindAssignment(target.nKind, static_cast<int>(target.nNumber));
        return pAssignment != nullptr &&
               IsPureTree(pAssignment->typeB, pAssignment->valueB, nDepth + 1);
    }
    if (nType != OperandType::Node) return true;
    const ExprNode* pNode = ReadNodePointer(value);
    if (pNode == nullptr || !HasArrays(*pNode)) return false;
    const bool bCall = pNode->nKind == NodeKind::Call || pNode->nKind == NodeKind::StatefulCall;
    if (bCall && (pNode->nArgs < 1 || pNode->pTypes[0] != OperandType::FunctionId ||
                  pNode->pValues[0] == FUNCTION_RAND || !IsStatelessFunction(pNode->pValues[0]))) {
        return false;
    }
    for (uint32_t i = bCall ? 1 : 0; i < pNode->nArgs; ++i) {
        if (!IsPureTree(pNode->pTypes[i], pNode->pValues[i], nDepth + 1)) return false;
    }
    return true;
}
