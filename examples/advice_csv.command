fit advice.csv -m edges,mutual,edges@* --attributes attributes.csv --block-by level
