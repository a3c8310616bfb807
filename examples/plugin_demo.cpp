// The plug-in as a host program uses it: loaded through the host stand-in, the class
// Decimal and the module methods called by their declarations at 50 significant digits.
#include <cstdio>
#include <exception>
#include <string>

#include "Host.h"

using namespace vhost;

namespace {

Object decimal(std::string const& text) {
    return construct("Decimal", "Constructor(inputString As String)", {str(text)});
}

// Str prints `places` digits after the point, the scale setting.
std::string text(Object const& x, int places) {
    callModule("DecSetScale(DecPrec As Integer)", {integer(places)});
    return callModule("Str(x As Decimal) As String", {obj(x)}).value.text;
}

}  // namespace

int main() {
    try {
        loadPlugin(VANTREL_PLUGIN_PATH);
        callModule("DecSetPrecision(DecPrec As Integer)", {integer(50)});

        Object third = call("Decimal", decimal("1"), "Operator_Divide(x As Decimal) As Decimal", {obj(decimal("3"))}).value.object;
        std::printf("1/3       = %s\n", text(third, 50).c_str());

        Object root = callModule("Pow(x As Decimal, y As Double) As Decimal", {obj(decimal("2")), dbl(0.5)}).value.object;
        std::printf("2^0.5     = %s\n", text(root, 49).c_str());

        Object sine = callModule("Sin(x As Decimal) As Decimal", {obj(decimal("1"))}).value.object;
        std::printf("Sin(1)    = %s\n", text(sine, 50).c_str());

        // 1234.5678 as the host's Currency, a count of 1/10000, to Decimal and back.
        std::int64_t const money = 12345678;
        Object fromMoney = callModule("DecimalFromCurrency(x As Currency) As Decimal", {currency(money)}).value.object;
        std::int64_t back = callModule("DecimalToCurrency(x As Decimal) As Currency", {obj(fromMoney)}).value.integer;
        std::printf("Currency  %lld -> %s -> %lld\n", static_cast<long long>(money), text(fromMoney, 4).c_str(),
                    static_cast<long long>(back));

        CallResult r = call("Decimal", decimal("1"), "Operator_Divide(x As Decimal) As Decimal", {obj(decimal("0"))});
        std::printf("1/0       raises %s\n", r.exception().c_str());
        return back == money && r.exception() == "DecDivideByZeroException" ? 0 : 1;
    } catch (std::exception const& e) {
        std::fprintf(stderr, "plugin_demo: %s\n", e.what());
        return 1;
    }
}
