#include <utility>

#include "IQXGraphShapeBase.h"

// The single instantiation of the anchor vector's members; the declaration in
// the header gives them default visibility.
template class std::vector<QXGraphPoint>;

QXGraphPointVec::QXGraphPointVec() = default;

// Copies can meet an exhausted heap; nothing may be thrown to the client, so a
// failed copy leaves the target empty (construction) or unchanged (assignment).
QXGraphPointVec::QXGraphPointVec(const QXGraphPointVec& other) : m_vecPoints() {
    SetPoint(other.m_vecPoints);
}

QXGraphPointVec& QXGraphPointVec::operator=(const QXGraphPointVec& other) {
    if (this != &other) SetPoint(other.m_vecPoints);
    return *this;
}

QXGraphPointVec::~QXGraphPointVec() = default;

void QXGraphPointVec::SetPoint(const std::vector<QXGraphPoint>& points) {
    try {
        std::vector<QXGraphPoint> vecCopy(points);
        m_vecPoints.swap(vecCopy);
    } catch (...) {
    }
}

const std::vector<QXGraphPoint>& QXGraphPointVec::GetPoint() const {
    return m_vecPoints;
}
