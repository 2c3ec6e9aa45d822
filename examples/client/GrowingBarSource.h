// The client's bar data: a fixed series of which only the first bars have
// "arrived"; AppendBar makes one more available, as a live feed would.
#pragma once

#include <QXScriptIndexBase/QXScriptIndexBase.h>

#include <cstdint>
#include <vector>

struct ClientBar {
    int64_t time;  // seconds since 1970-01-01 UTC
    double open, high, low, close, volume;
};

class CGrowingBarSource : public IIndexDataSource {
public:
    CGrowingBarSource(std::vector<ClientBar> bars, int nAvailable);

    void AppendBar();
    int GetAvailable() const { return m_nAvailable; }
    const ClientBar& GetBar(int bar) const { return m_vecBars[static_cast<size_t>(bar)]; }

    void GetBarCount(int* count) override;
    bool GetAvailableBarCount(int* count) override;
    bool GetFieldValue(int fieldId, int bar, double* value) override;
    bool GetConstantFieldValue(int fieldId, double* value) override;
    void GetWindowBoundary(int bar, int direction, int* boundary) override;
    void GetBarPeriod(int* periodKind, int* periodLength) override;
    bool GetBarTime(int bar, int64_t* time) override;
    void FindBarByTime(int64_t time, int* bar) override;
    bool GetDateTime(int64_t date, int64_t* time) override;

private:
    std::vector<ClientBar> m_vecBars;
    int m_nAvailable;
};

// Daily bars of a made-up stock, the same on every run.
std::vector<ClientBar> MakeDailyBars(int nCount);
