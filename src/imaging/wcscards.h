#pragma once
// The cards of a header that WCSLIB is given. Its parser crashes on a SIP
// term without a number, reads past its buffer on bytes outside ASCII or a
// text left open, loops on others, and takes a WCSAXES of 100000 as room
// for gigabytes; so it sees only the keys of a celestial system (CTYPE,
// CRVAL, CRPIX, CDELT, CD, PC, CROTA, CUNIT, PV, WCSAXES, LONPOLE,
// LATPOLE, RADESYS, EQUINOX, EPOCH and SIP's terms and orders, with their
// alternate letters), each card written anew from its value, checked here,
// without its comment.

#include <QByteArray>
#include <QString>

namespace Imaging {

struct WcsCards
{
    QByteArray cards; // 80 characters each, without END
    bool hasAxes = false; // a CTYPE is among them: the header means to have coordinates
    QString problem; // the first key whose value cannot be read, and why (a SkyProblem reason)
};

WcsCards wcsCards(const QByteArray &header);

} // namespace Imaging
