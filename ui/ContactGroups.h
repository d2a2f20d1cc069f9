#pragma once

// The nine groups of the contacts picker's letter strip: where a pen-up chooses each, and
// the restriction text the contacts store narrows the contacts by.

// A pen-up left of kGroupEdges[g] (and right of the edge before) chooses group g; these are
// the hit edges, not the strip's drawn lines.
inline constexpr int kGroupEdges[9] = {26, 52, 78, 104, 130, 156, 181, 205, 240};

// Group 0 (#A) takes every contact with a name; groups 1 to 8 (abc ... xyz) take the names
// that begin with their letters, in either case, and the Chinese names whose pinyin does.
inline constexpr const char16_t* kGroupFilters[9] = {
    u"([LastName] >= \" \" ) or "
    u"([FirstName] >= \" \" )",
    u"([LastName] >= \"a\" and [LastName] < \"d\") or "
    u"([FirstName] >= \"a\" and [FirstName] < \"d\") or "
    u"([LastName] >= \"A\" and [LastName] < \"D\") or "
    u"([FirstName] >= \"A\" and [FirstName] < \"D\") or "
    u"([LastName] >= \"啊\" and [LastName] < \"搭\") or "
    u"([FirstName] >= \"啊\" and [FirstName] < \"搭\")",
    u"([LastName] >= \"d\" and [LastName] < \"g\") or "
    u"([FirstName] >= \"d\" and [FirstName] < \"g\") or "
    u"([LastName] >= \"D\" and [LastName] < \"G\") or "
    u"([FirstName] >= \"D\" and [FirstName] < \"G\") or "
    u"([LastName] >= \"搭\" and [LastName] < \"噶\") or "
    u"([FirstName] >= \"搭\" and [FirstName] < \"噶\")",
    u"([LastName] >= \"g\" and [LastName] < \"k\") or "
    u"([FirstName] >= \"g\" and [FirstName] < \"k\") or "
    u"([LastName] >= \"G\" and [LastName] < \"K\") or "
    u"([FirstName] >= \"G\" and [FirstName] < \"K\") or "
    u"([LastName] >= \"噶\" and [LastName] < \"喀\") or "
    u"([FirstName] >= \"噶\" and [FirstName] < \"喀\")",
    u"([LastName] >= \"k\" and [LastName] < \"n\") or "
    u"([FirstName] >= \"k\" and [FirstName] < \"n\") or "
    u"([LastName] >= \"K\" and [LastName] < \"N\") or "
    u"([FirstName] >= \"K\" and [FirstName] < \"N\") or "
    u"([LastName] >= \"喀\" and [LastName] < \"拿\") or "
    u"([FirstName] >= \"喀\" and [FirstName] < \"拿\")",
    u"([LastName] >= \"n\" and [LastName] < \"q\") or "
    u"([FirstName] >= \"n\" and [FirstName] < \"q\") or "
    u"([LastName] >= \"N\" and [LastName] < \"Q\") or "
    u"([FirstName] >= \"N\" and [FirstName] < \"Q\") or "
    u"([LastName] >= \"拿\" and [LastName] < \"期\") or "
    u"([FirstName] >= \"拿\" and [FirstName] < \"期\")",
    u"([LastName] >= \"q\" and [LastName] < \"t\") or "
    u"([FirstName] >= \"q\" and [FirstName] < \"t\") or "
    u"([LastName] >= \"Q\" and [LastName] < \"T\") or "
    u"([FirstName] >= \"Q\" and [FirstName] < \"T\") or "
    u"([LastName] >= \"期\" and [LastName] < \"塌\") or "
    u"([FirstName] >= \"期\" and [FirstName] < \"塌\")",
    u"([LastName] >= \"t\" and [LastName] < \"x\") or "
    u"([FirstName] >= \"t\" and [FirstName] < \"x\") or "
    u"([LastName] >= \"T\" and [LastName] < \"X\") or "
    u"([FirstName] >= \"T\" and [FirstName] < \"X\") or "
    u"([LastName] >= \"塌\" and [LastName] < \"昔\") or "
    u"([FirstName] >= \"塌\" and [FirstName] < \"昔\")",
    u"([LastName] >= \"x\" and [LastName] < \"zzzzzzzz\") or "
    u"([FirstName] >= \"x\" and [FirstName] < \"zzzzzzzz\") or "
    u"([LastName] >= \"X\" and [LastName] < \"ZZZZZZZZZ\") or "
    u"([FirstName] >= \"X\" and [FirstName] < \"ZZZZZZZZZ\") or "
    u"([LastName] >= \"昔\") or "
    u"([FirstName] >= \"昔\")",
};
