#pragma once

#include <string>

namespace embedded {

class OpenCard;

// The card in the platform's XML form (CardData.GetXML):
//
//   <Data>
//     <Process CardID="{...}" CardTypeID="{...}" Template="1">
//       <MainInfo RowID="{...}" Name="..."/>            a single-row section
//       <Functions>                                       a table section
//         <FunctionsRow RowID="{...}" ID="..." ...>
//           <PassStates><PassStatesRow .../></PassStates>   sub-sections
//           <CardIDCardData><Data>...</Data></CardIDCardData>  a linked card
//         </FunctionsRow>
//       </Functions>
//     </Process>
//   </Data>
//
// The card element is named after the card type, sections and rows after the
// section ("Name", "NameRow"); a single-row section without its row is left
// out. Each field that is neither Null, Empty nor an empty text is an
// attribute in the XML text form of its type (ostrel::ToXmlText: ISO 8601
// dates, "." decimals); a variant field has a "_Type_" + name companion
// naming its value's XML data type. Sub-sections nest in their rows, and so
// do the child rows of a tree. With `follow_links` each card that a
// card-reference field names and that exists is embedded once, under the
// row that names it first, in an element named field + "CardData".
std::string CardXml(OpenCard& card, bool follow_links);

}  // namespace embedded
