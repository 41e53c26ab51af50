# The control's property page (TfmPage) and the port and speed lists it
# shares with the search dialog.
