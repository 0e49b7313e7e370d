// Delay and monotonic clock. The program uses the real clock; tests install a
// virtual one, so that waits cost no real time and can be measured exactly.
#pragma once

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    virtual double now() = 0;              // seconds, monotonic
    virtual void delay(double seconds) = 0;
};

// The clock in use (the real one unless another was installed).
Clock& clock();
// Installs a clock; nullptr restores the real one. The caller keeps ownership.
void setClock(Clock* c);

// A clock that only moves when delayed or advanced.
class VirtualClock : public Clock {
public:
    double now() override { return t_; }
    void delay(double seconds) override { if (seconds > 0) t_ += seconds; }
    void advance(double seconds) { delay(seconds); }
private:
    double t_ = 0.0;
};

} // namespace platform

// The program's vocabulary.
void Delay(double seconds);
double Timer();
