#pragma once

class TClientDataSet;

// Copies the current record of ASource into the record ADest is editing:
// every field of ADest, lookup fields included, in ADest's field order,
// takes the text (AsString) of the ASource field of the same name, the names
// compared without regard to letter case. Fields without a namesake are left
// alone. Going through the text makes a null source value empty and so a
// null number, date or Boolean, and converts between field types the way
// typing would. A text the target cannot take raises the table layer's
// conversion error; the fields copied before it keep their new values.
// The caller puts ADest into insert or edit state and posts it; neither table
// moves.
void CopyRecordByFieldNames(const TClientDataSet& ASource, TClientDataSet& ADest);
