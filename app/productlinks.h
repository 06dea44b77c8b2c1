#pragma once
// The product's own addresses, on the reserved example domain: its home page, the search page of the
// preview, and the support address that Help > Comments writes to.
namespace app {

inline constexpr const char *ProductHomePage = "http://www.kestrova.example/";
inline constexpr const char *ProductSearchPage = "http://www.kestrova.example/search/";
inline constexpr const char *ProductSupportAddress = "support@kestrova.example";

} // namespace app
