#pragma once

namespace Pkg_ate25400 {

// How often a unit has been started and not yet ended. Its start work runs
// only on the first start, its end work only when it has been ended as
// often as it was started; so a package that two owners initialize keeps
// its state until the last one finalizes it.
class UnitLife
{
public:
    // True when this start is the first: run the start work.
    bool start() { return m_starts++ == 0; }

    // True when this end balances the first start: run the end work. An end
    // without a start does nothing, so a stray Finalize cannot leave the
    // unit unable to start again.
    bool end()
    {
        if (m_starts == 0)
            return false;
        return --m_starts == 0;
    }

    int starts() const { return m_starts; }

private:
    int m_starts = 0;
};

} // namespace Pkg_ate25400
