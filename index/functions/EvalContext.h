// What every evaluation step receives: the calculation it belongs to and the bar
// it computes. The calculator builds one per drawing statement evaluation; the
// operand evaluator moves nBar while it computes a referenced series on demand and
// puts it back afterwards.
#pragma once

#include <atomic>

class CSeriesStore;
class IIndexDataSource;
class CCalculateInfo;
class CFieldCache;
class CAssignmentIndex;
class CReferencePlan;

// Status of every evaluation step. Data conditions are never errors: they give a
// value. EVAL_ERROR means a malformed node or context, or a stopped calculation,
// and travels up unchanged.
constexpr int EVAL_OK = 0;
constexpr int EVAL_ERROR = 4;

struct EvalContext {
    CSeriesStore* pStore = nullptr;            // the working series store
    IIndexDataSource* pDataSource = nullptr;   // the client's bars, not owned
    const CCalculateInfo* pInfo = nullptr;     // the compiled formula
    CFieldCache* pFieldCache = nullptr;        // bar-independent fields
    const std::atomic<bool>* pStop = nullptr;  // the calculator's stop flag; set from any thread
    int nBarCount = 0;                         // data source operation 0
    int nAvailable = 0;                        // data source operation 1: the total bar count
    int nPeriodKind = 3;                       // data source operation 5; 3 and 1 when unset
    int nPeriodLength = 1;
    double dDefault = 0.0;  // value of a field id outside both ranges
    int nBar = 0;           // the bar being evaluated
    int nCalcFirst = 0;     // the calculation window
    int nCalcLast = 0;
    bool bDrawMode = false;  // Reference and Parameter operands index the drawing lists
    // Optional shortcuts that a long calculation sets up once. Without them the
    // evaluator searches the statements and uses this thread's own depth counter.
    const CAssignmentIndex* pAssignments = nullptr;
    int* pDepth = nullptr;  // this thread's evaluation depth counter (EvaluationDepthCounter)
    // References resolved for pInfo and pStore; used only while both are the ones
    // it was built for.
    CReferencePlan* pPlan = nullptr;
};
