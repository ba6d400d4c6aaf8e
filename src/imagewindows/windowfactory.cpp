#include "windowfactory.h"

#include "curvewindows/lightcurvewindow.h"
#include "measurewindow.h"

const WindowFactory &measuringWindows()
{
    static const WindowFactory factory{
        WindowFactory::Contract,
        [](const Services &services) -> QWidget * { return new LightCurveWindow(services); },
        [](const Context &context) -> QWidget * { return new MeasureWindow(context); },
    };
    return factory;
}
