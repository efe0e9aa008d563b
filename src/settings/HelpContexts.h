#pragma once

#include <array>

namespace kv::help {

// Help context numbers: each opens one page of the help book. The book's map
// (data/help/book.map) gives every number here a page; a test keeps the two in step.

// Screens (Show_Help by the current screen code).
constexpr int Switchboard = 100;
constexpr int Search = 101;
constexpr int Details = 102;
constexpr int Collections = 103;
constexpr int Shopping = 104; // the shopping list and the ordering pages
constexpr int ShopDirectory = 105;
constexpr int Connections = 106;

// The find, filter and sort dialog, by its mode.
constexpr int Sort = 32;
constexpr int Find = 33;
constexpr int Filter = 34;

// Setting up the web browser (the warning shown when no program opens web links).
constexpr int BrowserAssociation = 1000;

// Dialogs.
constexpr int Options = 200;
constexpr int LocateFile = 201;
constexpr int CollectionList = 202;
constexpr int CollectionProperties = 203;
constexpr int ItemProperties = 204;
constexpr int PrintOptions = 205;
constexpr int UserDetails = 206;
constexpr int ConnectionItem = 207;
constexpr int About = 208;
constexpr int MailSettings = 220;
constexpr int SendOrder = 221; // the send dialog of the e-mail ordering page

constexpr std::array<int, 22> kAllContexts{
    Switchboard,        Search,       Details,     Collections,    Shopping,
    ShopDirectory,      Connections,  Sort,        Find,           Filter,
    BrowserAssociation, Options,      LocateFile,  CollectionList, CollectionProperties,
    ItemProperties,     PrintOptions, UserDetails, ConnectionItem, About,
    MailSettings,       SendOrder};

} // namespace kv::help
