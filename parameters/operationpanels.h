#pragma once

class ParameterSet;

// The operation panels as the parameter selectors and the parameter-set
// dialog see them; the window that holds the panels implements it and hands
// it down.  Operations are numbered as MyCommon::Operation.
class OperationPanels
{
public:
    // A new snapshot of the panel of operation (the caller owns it); null for
    // an unknown operation.
    virtual ParameterSet* GetButtonParameters(int operation) = 0;
    // Applies set to the panel of operation; the caller keeps set.
    virtual void SetButtonParameters(int operation, ParameterSet* set) = 0;

protected:
    ~OperationPanels() = default;
};
