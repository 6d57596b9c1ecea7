// Setting pages are added tab by tab.
