// The client's converter between screen pixels and chart data, handed to every
// shape with SetCoordinate. The library never creates or owns one; it only calls
// it. Every operation answers true with its result written through the pointer,
// or false for "no value", in which case the calling shape abandons the step.
// The slot order is the client's binary interface.
#pragma once

#include "IQXGraphShapeBase.h"

class IQXGraphCoordinate {
public:
    virtual bool PixelToPrice(float y, double* pPrice) = 0;
    virtual bool PriceToPixel(double price, float* pY) = 0;
    // Positions are bar indexes, fractions allowed.
    virtual bool PixelToPosition(float x, float* pPosition) = 0;
    virtual bool PositionToPixel(float position, float* pX) = 0;
    // Seconds; the range tools subtract two of them to show a duration.
    virtual bool PositionToTime(float position, int* pTime) = 0;
    // Holds its place in the client's table; the library never calls it.
    virtual bool ReservedOperation() = 0;
    // Marker labels are not placed below this pixel height.
    virtual bool GetChartBottom(float* pY) = 0;
    // Divisor of price differences in range labels; callers preset 1.0.
    virtual bool GetPriceUnit(double* pUnit) = 0;
    // Pixels per bar; callers preset 1.0.
    virtual bool GetBarWidth(float* pWidth) = 0;
    // When true, *pPoint is the anchor to use for the mouse at (x, y) as anchor
    // nIndex of a shape of kind eType; when false the shape converts by itself.
    virtual bool SnapPoint(float x, float y, QX_GRAPH_TYPE eType, unsigned nIndex,
                           QXGraphPoint* pPoint) = 0;

protected:
    ~IQXGraphCoordinate() = default;
};
