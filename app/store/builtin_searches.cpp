#include "app/store/builtin_searches.h"

namespace tovra {

namespace {

constexpr BuiltinSearch kSearches[] = {
    {"amazon",
     "https://www.amazon.com/s/ref=nb_ss_gw/417-2290364-5518920?url=search-alias%3Daps&field-keywords=$*&Go.x=0&Go.y=0&Go=Go"},
    {"apple", "https://www.apple.com/?search=Go&lr=lang_en&kword=&type=&newstype=&q=$*"},
    {"archive", "https://www.archive.org/search.php?query=$*"},
    {"bn", "https://search.barnesandnoble.com/booksearch/results.asp?WRD=$*&z=y&cds2Pid=9481"},
    {"bookfinder",
     "https://www.bookfinder.com/search/?author=&title=$*&lang=en&submit=Begin+search&new_used=*&destination=us&currency=USD&binding=*&isbn=&keywords=&minprice=&maxprice=&classic=on&mode=advanced&st=sr&ac=qr"},
    {"ebay", "https://search.ebay.com/$*_W0QQ_trksidZm37QQfromZR40"},
    {"french", "https://translate.google.com/translate_t?sl=fr&tl=en&text=$*"},
    {"google",
     "https://www.google.com/search?q=$*&start=0&start=0&ie=utf-8&oe=utf-8&client=mozilla&rls=org.mozilla:en-US:unofficial"},
    {"googleon",
     "https://www.google.com/search?q=site:$1+$2+$3+$4+$5+$6&start=0&start=0&ie=utf-8&oe=utf-8&client=mozilla&rls=org.mozilla:en-US:unofficial"},
    {"half", "https://search.half.ebay.com/$*_W0QQ"},
    {"imdb", "https://www.imdb.com/find?s=all&q=$*"},
    {"orbitz",
     "https://www.orbitz.com/App/SubmitQuickSearch?z=514d&r=aj?origin=$1&destination=$2&flightType=roundTrip&isBot=true&isFlex=false&searchType=air&source=quick_search&searchTab=&quick_search&dpHidden=&startDate=$3&startTime=Anytime&endDate=$4&endTime=Anytime&adults=1&useStartCal=true&useEndCal=true&searchMethodHidden=find&origin=$1"},
    {"pricegrabber", "https://www.pricegrabber.com/search.php?form_keyword=$*&topcat_id=&Search=Search"},
    {"rotten", "https://www.rottentomatoes.com/search/full_search.php?search=$*"},
    {"ups",
     "https://wwwapps.ups.com/WebTracking/processInputRequest?HTMLVersion=5.0&loc=en_US&Requester=UPSHome&tracknum=$*&ignore=&track.x=30&track.y=9"},
    {"wiki", "https://en.wikipedia.org/wiki/Special:Search?search=$*&go=Go"},
    {"wx", "https://www.nytimes.com/gst/weather.html?search=$*"},
};

}  // namespace

std::span<const BuiltinSearch> BuiltinSearches() { return kSearches; }

}  // namespace tovra
